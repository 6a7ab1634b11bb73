#include "report.h"

#include "model/units.h"

#include <QAbstractTextDocumentLayout>
#include <QDateTime>

#include <QDir>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <algorithm>

#include <cmath>

namespace varmet {

namespace {

QString fixed(long double value, int decimals)
{
    return QString::number(static_cast<double>(value), 'f', decimals);
}

QString signedFixed(long double value, int decimals)
{
    const QString text = fixed(value, decimals);
    return value > 0 && text.toDouble() != 0 ? QLatin1Char('+') + text : text;
}

QString verdict(bool ok, const QString &text)
{
    return QStringLiteral("<span style=\"color:%1\">%2</span>")
        .arg(ok ? QStringLiteral("#007000") : QStringLiteral("#c00000"), text);
}

// "solution / truth (error)" with the error's verdict.
QString comparison(
    long double solution, long double truth, long double error, int decimals, bool within)
{
    return QStringLiteral("%1 / %2 %3")
        .arg(fixed(solution, decimals), fixed(truth, decimals),
            verdict(within, QStringLiteral("(%1)").arg(signedFixed(error, decimals))));
}

QString torpedo(const std::optional<TorpedoOutcome> &outcome)
{
    if (!outcome)
        return QStringLiteral("—");
    if (outcome->Hit)
        return verdict(
            true, QStringLiteral("попадание (%1 м)").arg(std::llrint(outcome->MissMetres)));
    return verdict(false, QStringLiteral("промах %1 м").arg(std::llrint(outcome->MissMetres)));
}

QPointF boardPoint(SeaPoint p, SeaPoint centre)
{
    return {static_cast<double>(BoardCenter + PxPerCable * (p.East - centre.East)),
        static_cast<double>(BoardCenter - PxPerCable * (p.North - centre.North))};
}

} // namespace

QString OperationalTimeText(std::int32_t seconds)
{
    const std::int32_t minutes = seconds / 60;
    return QStringLiteral("%1. %2 - %3").arg(minutes / 60).arg(minutes % 60).arg(seconds % 60);
}

QString ScoreHtml(const Exercise &exercise, const ExerciseScore &score)
{
    const ExerciseDefinition &d = exercise.definition();
    QString html = QStringLiteral("<h3>Итоги учения «%1»</h3>").arg(d.Name.toHtmlEscaped());
    html += QStringLiteral("<p>Время учения: %1 (%2 с)%3. Зерно шума: %4.<br>")
                .arg(OperationalTimeText(score.Time))
                .arg(score.Time)
                .arg(exercise.ended() ? QStringLiteral(", учение завершено") : QString())
                .arg(exercise.state().Seed);
    html += QStringLiteral("Допуски: курс ±%1°, скорость ±%2 узл, дистанция ±%3 %.</p>")
                .arg(fixed(d.Tolerances.Course, 1), fixed(d.Tolerances.Speed, 1),
                    fixed(d.Tolerances.DistancePercent, 1));
    html += QStringLiteral(
        "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr><th>Цель</th><th>П/п</th>"
        "<th>Кц, град<br>реш. / ист.</th><th>Vц, узл<br>реш. / ист.</th>"
        "<th>Д, кбт<br>реш. / ист.</th><th>В допуске</th><th>С момента</th>"
        "<th>Торпеда по медиане</th><th>Торпеда 1</th><th>Торпеда 2</th></tr>");
    for (const TargetScore &t : score.Targets) {
        html += QStringLiteral("<tr><td align=\"center\">%1</td>").arg(t.Target);
        if (!t.Slot) {
            html += QStringLiteral("<td colspan=\"9\">%1</td></tr>")
                        .arg(verdict(false,
                            QStringLiteral("нет слота с номером цели %1 (истина: Кц %2, Vц %3, "
                                           "Д %4)")
                                .arg(t.Target)
                                .arg(fixed(t.Truth.Course, 1), fixed(t.Truth.Speed, 1),
                                    fixed(t.Truth.Distance, 1))));
            continue;
        }
        html += QStringLiteral("<td align=\"center\">%1</td><td>%2</td><td>%3</td><td>%4</td>"
                               "<td align=\"center\">%5</td><td align=\"center\">%6</td>"
                               "<td>%7</td><td>%8</td><td>%9</td></tr>")
                    .arg(*t.Slot)
                    .arg(comparison(
                             t.Solution.Course, t.Truth.Course, t.CourseError, 0, t.CourseWithin),
                        comparison(t.Solution.Speed, t.Truth.Speed, t.SpeedError, 1, t.SpeedWithin),
                        comparison(t.Solution.Distance, t.Truth.Distance, t.DistanceError, 1,
                            t.DistanceWithin),
                        verdict(
                            t.Within(), t.Within() ? QStringLiteral("да") : QStringLiteral("нет")),
                        t.Since ? OperationalTimeText(*t.Since) : QStringLiteral("—"),
                        torpedo(t.Median), torpedo(t.Wake[0]), torpedo(t.Wake[1]));
    }
    html += QStringLiteral("</table><p>Залп — торпеды, выпущенные сейчас по решению слота; "
                           "попадание — проход в пределах половины длины цели от неё "
                           "при её истинном движении.</p>");
    return html;
}

QImage BoardWithTruth(const QImage &board, const ExerciseDefinition &definition,
    const OwnShipTrack &ownTrack, std::int32_t seconds)
{
    QImage picture = board.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const SeaPoint centre = ownTrack.PositionAt(seconds);
    // A point every 10 s, but never more than a day's worth of points however long the run.
    constexpr std::int64_t MaxPoints = 8640;
    const std::int64_t step
        = std::max<std::int64_t>(10, (std::int64_t {seconds} + MaxPoints - 1) / MaxPoints);

    const auto track = [&](auto positionAt) {
        QPainterPath path(boardPoint(positionAt(0), centre));
        for (std::int64_t t = step; t < seconds; t += step)
            path.lineTo(boardPoint(positionAt(static_cast<long double>(t)), centre));
        path.lineTo(boardPoint(positionAt(seconds), centre));
        return path;
    };

    painter.setPen(QPen(QColor(96, 96, 96), 1.5, Qt::DashLine));
    painter.drawPath(track([&](long double t) { return ownTrack.PositionAt(t); }));

    const QColor green(0, 150, 0);
    for (const ExerciseTarget &target : definition.Targets) {
        const TargetTruth truth(target);
        painter.setPen(QPen(green, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(track([&](long double t) { return truth.PositionAt(t); }));
        const QPointF now = boardPoint(truth.PositionAt(seconds), centre);
        painter.setBrush(green);
        painter.drawEllipse(now, 3.5, 3.5);
        painter.drawText(now + QPointF(6, -6), QString::number(target.Number));
    }
    painter.setPen(Qt::black);
    painter.drawText(QRectF(6, picture.height() - 34, picture.width() - 12, 30),
        Qt::AlignLeft | Qt::AlignBottom,
        QStringLiteral("Зелёным — истинные пути целей, пунктиром — путь ПЛ; ПЛ в центре на %1")
            .arg(OperationalTimeText(seconds)));
    return picture;
}

std::optional<QString> WriteReport(
    const QString &path, const QString &scoreHtml, const QImage &picture, const QString &title)
{
    const auto failure = [&path](const QString &why) {
        return QStringLiteral("Отчет «%1» не сохранен: %2.")
            .arg(QDir::toNativeSeparators(path), why);
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("БИУС \"Вармет\""));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(150);
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return failure(QStringLiteral("не удалось начать документ"));
        }
        const QRect page = painter.viewport();
        QTextDocument document;
        // Points measured on the page, not on the screen.
        document.documentLayout()->setPaintDevice(&writer);
        document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        document.setHtml(scoreHtml
            + QStringLiteral("<p>Отчет составлен %1.</p>")
                  .arg(QDateTime::currentDateTime().toString(
                      QStringLiteral("dd.MM.yyyy hh:mm:ss"))));
        document.setTextWidth(page.width());
        document.drawContents(&painter);
        const int top = static_cast<int>(std::ceil(document.size().height())) + 20;
        const int side = std::min(page.width(), page.height() - top);
        if (side < page.width() / 2) {
            writer.newPage();
            painter.drawImage(QRect(0, 0, page.width(), page.width()), picture);
        } else {
            painter.drawImage(QRect((page.width() - side) / 2, top, side, side), picture);
        }
        painter.end();
    }
    if (!file.commit())
        return failure(file.errorString());
    return std::nullopt;
}

} // namespace varmet
