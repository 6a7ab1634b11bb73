#pragma once

// The session file: one JSON document, format "varmet-session", with one section per part of the
// session ("clock", "ownShip", "hold", "slots", "fixLogs", "pendingFixes", "ownTrack", "board",
// "controls", "journal", "exercise"), each written and read by its own pair of functions. Extended
// reals are written as their raw bits (exact_real.h); the board's pictures as PNG in base64.
//
// Reading checks everything (format, version, every section, every value against its range)
// before it hands anything out, so a refused file changes nothing.

#include "session_data.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace varmet {

inline constexpr int SessionFormatVersion = 1;
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
