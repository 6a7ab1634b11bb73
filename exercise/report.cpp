#include "report.h"

#include "model/number_text.h"
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
#include <QUrl>

#include <algorithm>

#include <cmath>

namespace varmet {

namespace {

QString fixed(long double value, int decimals)
{
    return QString::fromStdString(DecimalText(value, decimals));
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

namespace {

QString minutesSeconds(long double seconds)
{
    const auto whole = static_cast<long long>(std::nearbyint(seconds));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

QString tolerance(long double value)
{
    return QString::number(static_cast<double>(value), 'g', 6);
}

// Why "в допуске" and the median torpedo disagree, in the trainee's words; empty when they agree.
QString reasonText(const TargetScore &t)
{
    const MissReason &r = t.Reason;
    switch (r.What) {
    case MissReason::Kind::None:
        return {};
    case MissReason::Kind::NoSalvo:
        return QStringLiteral("решение в допуске, но решения стрельбы сейчас нет: залп невозможен");
    case MissReason::Kind::RanOut:
        return QStringLiteral("решение в допуске, но торпеда проходит всю дистанцию хода «Е (м)» "
                              "и не доходит до цели");
    case MissReason::Kind::Manoeuvre:
        return QStringLiteral("решение в допуске, но цель маневрирует через %1 после залпа: "
                              "промах не от ошибок решения")
            .arg(minutesSeconds(r.ManoeuvreAfter));
    case MissReason::Kind::ErrorsAdd: {
        QString worst;
        if (r.Worst == 'c')
            worst = QStringLiteral("ошибка курса: с истинным курсом");
        else if (r.Worst == 's')
            worst = QStringLiteral("ошибка скорости: с истинной скоростью");
        else if (r.Worst == 'p')
            worst = QStringLiteral("ошибка места цели: с истинным местом");
        if (worst.isEmpty())
            return QStringLiteral("все ошибки в допуске, но вместе дают промах; ни одна из них, "
                                  "исправленная отдельно, попадания не дает — допуски шире, чем "
                                  "требует попадание");
        return QStringLiteral("все ошибки в допуске, но вместе дают промах; больше всего стоит "
                              "%1 промах был бы %2 м — допуски шире, чем требует попадание")
            .arg(worst)
            .arg(std::llrint(r.MissWithWorstTrue));
    }
    case MissReason::Kind::HitAnyway: {
        QStringList out;
        if (!t.CourseWithin)
            out.append(QStringLiteral("курс"));
        if (!t.SpeedWithin)
            out.append(QStringLiteral("скорость"));
        if (!t.DistanceWithin)
            out.append(QStringLiteral("дистанция"));
        return QStringLiteral("вне допуска (%1), но этот залп попадает: угол упреждения зависит от "
                              "пеленга, курса и скорости цели, не от дистанции, и ошибки "
                              "здесь погасили друг друга")
            .arg(out.join(QStringLiteral(", ")));
    }
    }
    return {};
}

QString probability(const TargetScore &t)
{
    if (!t.HitProbability)
        return QStringLiteral("—");
    return QString::number(static_cast<double>(*t.HitProbability), 'f', 2);
}

} // namespace

ScorePage ScoreHtml(const Exercise &exercise, const ExerciseScore &score, const ScoreView &view)
{
    const ExerciseDefinition &d = exercise.definition();
    ScorePage page;
    QString &html = page.Html;
    html = QStringLiteral("<h3>Итоги учения «%1»</h3>").arg(d.Name.toHtmlEscaped());
    if (view.Trainee && !view.Trainee->trimmed().isEmpty())
        html += QStringLiteral("<p>Обучаемый: <b>%1</b></p>")
                    .arg(view.Trainee->trimmed().toHtmlEscaped());
    html += QStringLiteral("<p>Время учения: %1 (%2 с)%3. Зерно шума: %4.<br>")
                .arg(OperationalTimeText(score.Time))
                .arg(score.Time)
                .arg(exercise.ended() ? QStringLiteral(", учение завершено") : QString())
                .arg(exercise.state().Seed);
    const bool anyProbability = std::any_of(score.Targets.begin(), score.Targets.end(),
        [](const TargetScore &t) { return t.HitProbability.has_value(); });
    const QString torpedoHeads = QStringLiteral("<th>Торпеда по медиане</th><th>Торпеда 1</th>"
                                                "<th>Торпеда 2</th>")
        + (anyProbability ? QStringLiteral("<th>Вероятность попадания</th>") : QString());

    if (!view.TruthShown) {
        html += QStringLiteral("Учение идет: здесь ваше решение и исход залпа, выпущенного сейчас. "
                               "Истина и полные итоги — после «Завершить».</p>");
        html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>"
                               "<th>Цель</th><th>П/п</th><th>П, град</th><th>Д, кбт</th>"
                               "<th>Кц, град</th><th>Vц, узл</th>")
            + torpedoHeads + QStringLiteral("</tr>");
        for (const TargetScore &t : score.Targets) {
            html += QStringLiteral("<tr><td align=\"center\">%1</td>").arg(t.Target);
            if (!t.Slot) {
                html += QStringLiteral("<td colspan=\"%1\">нет слота с номером цели %2</td></tr>")
                            .arg(anyProbability ? 9 : 8)
                            .arg(t.Target);
                continue;
            }
            html += QStringLiteral("<td align=\"center\">%1</td><td>%2</td><td>%3</td><td>%4</td>"
                                   "<td>%5</td><td>%6</td><td>%7</td><td>%8</td>")
                        .arg(*t.Slot)
                        .arg(fixed(t.Solution.Bearing, BearingDecimals),
                            fixed(t.Solution.Distance, DistanceDecimals),
                            fixed(t.Solution.Course, CourseDecimals),
                            fixed(t.Solution.Speed, SpeedDecimals), torpedo(t.Median),
                            torpedo(t.Wake[0]), torpedo(t.Wake[1]));
            if (anyProbability)
                html += QStringLiteral("<td align=\"center\">%1</td>").arg(probability(t));
            html += QStringLiteral("</tr>");
        }
        html += QStringLiteral("</table>");
        return page;
    }

    html += QStringLiteral("Допуски: курс ±%1°, скорость ±%2 узл, дистанция ±%3 % истинной. "
                           "Ошибки (решение минус истина) судятся так, как напечатаны.</p>")
                .arg(tolerance(d.Tolerances.Course), tolerance(d.Tolerances.Speed),
                    tolerance(d.Tolerances.DistancePercent));
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" "
                           "cellpadding=\"3\"><tr><th>Цель</th><th>П/п</th>"
                           "<th>П, град<br>реш. / ист.</th><th>Д, кбт<br>реш. / ист.</th>"
                           "<th>Кц, град<br>реш. / ист.</th><th>Vц, узл<br>реш. / ист.</th>"
                           "<th>В допуске</th><th>С момента</th>")
        + torpedoHeads + QStringLiteral("</tr>");
    QString explanations;
    for (const TargetScore &t : score.Targets) {
        html += QStringLiteral("<tr><td align=\"center\">%1</td>").arg(t.Target);
        if (!t.Slot) {
            html += QStringLiteral("<td colspan=\"%1\">%2</td></tr>")
                        .arg(anyProbability ? 11 : 10)
                        .arg(verdict(false,
                            QStringLiteral("нет слота с номером цели %1 (истина: П %2, Д %3, "
                                           "Кц %4, Vц %5)")
                                .arg(t.Target)
                                .arg(fixed(t.Truth.Bearing, 1), fixed(t.Truth.Distance, 1),
                                    fixed(t.Truth.Course, 1), fixed(t.Truth.Speed, 1))));
            continue;
        }
        html += QStringLiteral("<td align=\"center\">%1</td><td>%2</td><td>%3<br>допуск ±%4</td>"
                               "<td>%5</td><td>%6</td>")
                    .arg(*t.Slot)
                    .arg(comparison(t.Solution.Bearing, t.Truth.Bearing, t.BearingError,
                             BearingDecimals, true),
                        comparison(t.Solution.Distance, t.Truth.Distance, t.DistanceError,
                            DistanceDecimals, t.DistanceWithin),
                        fixed(t.DistanceTolerance, DistanceDecimals),
                        comparison(t.Solution.Course, t.Truth.Course, t.CourseError, CourseDecimals,
                            t.CourseWithin),
                        comparison(t.Solution.Speed, t.Truth.Speed, t.SpeedError, SpeedDecimals,
                            t.SpeedWithin));
        html += QStringLiteral("<td align=\"center\">%1</td><td align=\"center\">%2</td>"
                               "<td>%3</td><td>%4</td><td>%5</td>")
                    .arg(verdict(
                             t.Within(), t.Within() ? QStringLiteral("да") : QStringLiteral("нет")),
                        t.Since ? OperationalTimeText(*t.Since) : QStringLiteral("—"),
                        torpedo(t.Median), torpedo(t.Wake[0]), torpedo(t.Wake[1]));
        if (anyProbability)
            html += QStringLiteral("<td align=\"center\">%1</td>").arg(probability(t));
        html += QStringLiteral("</tr>");

        QString about;
        QString image;
        if (t.Median) {
            about = QStringLiteral("торпеда по медиане ближе всего к цели через %1 после залпа, "
                                   "в %2 м.")
                        .arg(minutesSeconds(t.Median->ClosestAfter))
                        .arg(std::llrint(t.Median->MissMetres));
            const ExerciseTarget *target = d.target(t.Target);
            const QImage pass = target ? PassPicture(*target, *t.Median, 170) : QImage();
            if (!pass.isNull()) {
                const QString name = QStringLiteral("pass%1.png").arg(t.Target);
                page.Images[name] = pass;
                image = QStringLiteral("<td width=\"178\"><img src=\"%1\" width=\"170\" "
                                       "height=\"170\"></td>")
                            .arg(name);
            }
        }
        const QString reason = reasonText(t);
        if (!reason.isEmpty())
            about += QStringLiteral("<br><b>%1</b>").arg(verdict(false, reason));
        if (!about.isEmpty())
            explanations += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"4\"><tr>%1"
                                           "<td valign=\"top\"><b>Цель %2.</b> %3</td></tr>"
                                           "</table>")
                                .arg(image)
                                .arg(t.Target)
                                .arg(about);
    }
    html += QStringLiteral("</table><p>Залп — торпеды, выпущенные сейчас по решению слота; "
                           "попадание — проход в пределах половины длины цели от неё "
                           "при её истинном движении.</p>")
        + explanations;
    return page;
}

QImage PassPicture(const ExerciseTarget &target, const TorpedoOutcome &outcome, int side)
{
    const TorpedoRun &run = outcome.Run;
    if (run.Legs.empty() || run.Speed <= 0 || side < 40)
        return {};
    const TargetTruth truth(target);
    const long double after = outcome.ClosestAfter;
    const long double from = std::max<long double>(0, after - 90);
    const long double to = std::min(run.Duration(), after + 45);
    std::vector<SeaPoint> torpedo;
    std::vector<SeaPoint> ship;
    for (long double t = from;; t += 1) {
        const long double at = std::min(t, to);
        torpedo.push_back(run.PositionAfter(at));
        ship.push_back(truth.PositionAt(run.FireTime + at));
        if (at >= to)
            break;
    }
    const SeaPoint torpedoAt = run.PositionAfter(after);
    const SeaPoint shipAt = truth.PositionAt(run.FireTime + after);
    const SeaPoint centre {
        (torpedoAt.East + shipAt.East) / 2, (torpedoAt.North + shipAt.North) / 2};
    // The scale: the closest distance and the hull both plain to see; the paths run out of the
    // frame.
    const long double reach = std::max({2 * outcome.MissMetres / PathMetresPerCable,
        1.5L * target.Length / PathMetresPerCable, 0.5L});
    const long double pxPerCable = (side / 2.0L - 12) / reach;
    const auto place = [&](SeaPoint p) {
        return QPointF(static_cast<double>(side / 2.0L + (p.East - centre.East) * pxPerCable),
            static_cast<double>(side / 2.0L - (p.North - centre.North) * pxPerCable));
    };

    QImage picture(side, side, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(160, 160, 160), 1));
    painter.drawRect(0, 0, side - 1, side - 1);
    const auto path = [&](const std::vector<SeaPoint> &points) {
        QPainterPath line(place(points.front()));
        for (const SeaPoint &p : points)
            line.lineTo(place(p));
        return line;
    };
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 150, 0), 1.5));
    painter.drawPath(path(ship));
    painter.setPen(QPen(QColor(0, 0, 200), 1.5));
    painter.drawPath(path(torpedo));
    // The target's hull at the closest moment, to scale, along its course.
    const long double half = target.Length / PathMetresPerCable / 2;
    const long double course = DegreesToRadians(truth.CourseAt(run.FireTime + after));
    const SeaPoint bow {
        shipAt.East + half * std::sin(course), shipAt.North + half * std::cos(course)};
    const SeaPoint stern {
        shipAt.East - half * std::sin(course), shipAt.North - half * std::cos(course)};
    painter.setPen(QPen(QColor(0, 150, 0), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(place(stern), place(bow));
    painter.setPen(QPen(QColor(200, 0, 0), 1.5, Qt::DashLine));
    painter.drawLine(place(torpedoAt), place(shipAt));
    painter.setBrush(QColor(0, 0, 200));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(place(torpedoAt), 3, 3);

    // A scale bar of a round length.
    const long double metresPerPx = PathMetresPerCable / pxPerCable;
    long double bar = 10;
    for (const long double m :
        {10.0L, 20.0L, 50.0L, 100.0L, 200.0L, 500.0L, 1000.0L, 2000.0L, 5000.0L, 10000.0L}) {
        if (m / metresPerPx <= side / 3.0L)
            bar = m;
    }
    const double barPx = static_cast<double>(bar / metresPerPx);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawLine(QPointF(8, side - 10), QPointF(8 + barPx, side - 10));
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 7));
    painter.drawText(QPointF(8, side - 14), QStringLiteral("%1 м").arg(std::llrint(bar)));
    painter.setPen(QColor(200, 0, 0));
    painter.drawText(QRectF(6, 4, side - 12, 14), Qt::AlignLeft,
        QStringLiteral("%1 м").arg(std::llrint(outcome.MissMetres)));
    return picture;
}

QString TruthLegend(std::int32_t seconds)
{
    return QStringLiteral("Зелёным — истинные пути целей, пунктиром — путь ПЛ; ПЛ в центре на %1")
        .arg(OperationalTimeText(seconds));
}

QImage BoardWithTruth(const QImage &board, const ExerciseDefinition &definition,
    const OwnShipTrack &ownTrack, std::int32_t seconds, bool withLegend)
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
    if (withLegend) {
        painter.setPen(Qt::black);
        painter.drawText(QRectF(6, picture.height() - 34, picture.width() - 12, 30),
            Qt::AlignLeft | Qt::AlignBottom, TruthLegend(seconds));
    }
    return picture;
}

void LayOutReport(QTextDocument &document, const ScorePage &score, QPdfWriter &page)
{
    page.setPageSize(QPageSize(QPageSize::A4));
    page.setResolution(150);
    // Points measured on the page, not on the screen.
    document.documentLayout()->setPaintDevice(&page);
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    // Whole words: the table's columns are then at least as wide as their longest word.
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(option);
    for (const auto &[name, image] : score.Images)
        document.addResource(QTextDocument::ImageResource, QUrl(name), image);
    document.setHtml(score.Html);
    document.setTextWidth(page.width());
}

std::optional<QString> WriteReport(
    const QString &path, const ScorePage &score, const QImage &picture, const QString &title)
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
        QPainter painter;
        QTextDocument document;
        LayOutReport(document,
            {score.Html
                    + QStringLiteral("<p>Отчет составлен %1.</p>")
                          .arg(QDateTime::currentDateTime().toString(
                              QStringLiteral("dd.MM.yyyy hh:mm:ss"))),
                score.Images},
            writer);
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return failure(QStringLiteral("не удалось начать документ"));
        }
        const QRect page = painter.viewport();
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
