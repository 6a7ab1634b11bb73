#pragma once

// The session file: one JSON document, format "varmet-session". Version 2 (written) has the
// sections "state", "fixes", "board", "inputs", "journal" and "exercise", each with its own version
// and minor version; version 1 (still read) had one section per part and the controls as texts
// (docs/session-format.md). Each part is written and read by its own pair of functions. Extended
// reals are written as their raw bits (exact_real.h); the board's pictures as PNG in base64.
//
// Reading checks everything (format, version, every section, every value against its range)
// before it hands anything out, so a refused file changes nothing.

#include "session_data.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace varmet {

inline constexpr int SessionFormatVersion = 2;
// The versions of version 2's sections. A section's version grows when an older program could not
// read it right; its minor version when it only adds what an older program may pass over.
inline constexpr int StateSectionVersion = 1;
inline constexpr int FixesSectionVersion = 1;
inline constexpr int BoardSectionVersion = 1;
inline constexpr int InputsSectionVersion = 1;
inline constexpr int InputsSectionMinor = 1; // 1: DangerLimit, TimeSpeed, MPause.down
inline constexpr int JournalSectionVersion = 1;
inline constexpr int ExerciseSectionVersion = 1;
inline const char *const SessionFormatName = "varmet-session";

// A day's plotting takes a few megabytes; anything far larger is no session.
inline constexpr qint64 MaxSessionFileBytes = qint64 {256} << 20;

QByteArray WriteSession(const SessionData &session);

// Fills `session` from the file's bytes; returns the reason of a refusal instead, in Russian,
// naming the problem (and then `session` is untouched).
std::optional<QString> ReadSession(const QByteArray &bytes, SessionData &session);

// The same on files. Saving is atomic: the file is written aside and put in place only when
// complete, so a failed save leaves any earlier file as it was; a folder, FIFO or device (or a
// symlink to one) is never replaced. Messages name the file and the reason, in Russian.
std::optional<QString> SaveSessionFile(const QString &path, const SessionData &session);
std::optional<QString> OpenSessionFile(const QString &path, SessionData &session);

} // namespace varmet
