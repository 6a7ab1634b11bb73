#pragma once

// What the trainee gets to read: the score as a table, the board with the true tracks drawn
// over a copy of it, and both written as a PDF report.

#include "exercise.h"

#include <QImage>
#include <QString>

class QPdfWriter;
class QTextDocument;

#include <map>
#include <optional>

namespace varmet {

// A time of the exercise as the operational-time display writes it: "h. m - s".
QString OperationalTimeText(std::int32_t seconds);

// What the page may show. While an exercise runs the trainee sees his own numbers and the outcome
// of a salvo fired now, never the truth; the truth and the full score come after the end, or
// earlier when the instructor opens them with the exercise's key.
struct ScoreView
{
    bool TruthShown = true;
    std::optional<QString> Trainee; // the trainee's name, when one is given
};

// The score as an HTML page with the pictures it refers to (by name, e.g. "pass1.png").
struct ScorePage
{
    QString Html;
    std::map<QString, QImage> Images;
};

// The exercise's name, its time and seed, a row per target; with the truth, each error and
// verdict, the reason where the verdict and the salvo disagree, and a picture of each median
// torpedo's pass by its target.
ScorePage ScoreHtml(const Exercise &exercise, const ExerciseScore &score, const ScoreView &view);

// The pass of a torpedo by the target's true track around the closest approach, `side` px square:
// the target green (its length to scale at the closest moment), the torpedo blue, the closest
// distance red, with a scale bar. A null image for a run without legs.
QImage PassPicture(const ExerciseTarget &target, const TorpedoOutcome &outcome, int side);

// A copy of the board with the targets' true tracks from the start to `seconds` and own ship's
// track drawn over it, in the board's frame at that time (own ship at the centre), with
// TruthLegend written under them unless the caller shows it beside a smaller copy.
QImage BoardWithTruth(const QImage &board, const ExerciseDefinition &definition,
    const OwnShipTrack &ownTrack, std::int32_t seconds, bool withLegend = true);
// What the lines of BoardWithTruth are.
QString TruthLegend(std::int32_t seconds);

// The score page laid out for the report on `page` (an A4 page at 150 dpi): the report's letters,
// whole words, the page's width.
void LayOutReport(QTextDocument &document, const ScorePage &score, QPdfWriter &page);

// Writes the report (the score page, then the picture) to `path` as PDF. Returns the reason of a
// failure; a file at `path` is then left as it was.
std::optional<QString> WriteReport(
    const QString &path, const ScorePage &score, const QImage &picture, const QString &title);

} // namespace varmet
