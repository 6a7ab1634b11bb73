#pragma once

// What the trainee gets to read: the score as a table, the board with the true tracks drawn
// over a copy of it, and both written as a PDF report.

#include "exercise.h"

#include <QImage>
#include <QString>

#include <optional>

namespace varmet {

// A time of the exercise as the operational-time display writes it: "h. m - s".
QString OperationalTimeText(std::int32_t seconds);

// The score as an HTML page: the exercise's name, its time and seed, a row per target.
QString ScoreHtml(const Exercise &exercise, const ExerciseScore &score);

// A copy of the board with the targets' true tracks from the start to `seconds` and own ship's
// track drawn over it, in the board's frame at that time (own ship at the centre).
QImage BoardWithTruth(const QImage &board, const ExerciseDefinition &definition,
    const OwnShipTrack &ownTrack, std::int32_t seconds);

// Writes the report (the score page, then the picture) to `path` as PDF. Returns the reason of a
// failure; a file at `path` is then left as it was.
std::optional<QString> WriteReport(
    const QString &path, const QString &scoreHtml, const QImage &picture, const QString &title);

} // namespace varmet
