#include "bearing_charts.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFontMetrics>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>

namespace varmet {

namespace {

struct Range
{
    double low = 0;
    double high = 0;
};

// The span of x (or y) over the lists, none when they are all empty.
template<typename Coordinate>
std::optional<Range> span(std::initializer_list<const QList<QPointF> *> lists, Coordinate of)
{
    std::optional<Range> range;
    for (const QList<QPointF> *list : lists) {
        for (const QPointF &p : *list) {
            const double v = of(p);
            range
                = range ? Range {std::min(range->low, v), std::max(range->high, v)} : Range {v, v};
        }
    }
    return range;
}

// A range widened to whole steps of 1, 2 or 5 times a power of ten, some five steps in all; the
// axis is only touched when that changes, since a new range lays out and repaints the chart.
// Whether it changed.
bool setNiceRange(QValueAxis *axis, double low, double high)
{
    const double raw = std::max((high - low) / 5, 1e-9);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * power;
        if (step >= raw)
            break;
    }
    const double niceLow = std::floor(low / step) * step;
    const double niceHigh = std::ceil(high / step) * step;
    const int ticks = static_cast<int>(std::lrint((niceHigh - niceLow) / step)) + 1;
    bool changed = false;
    if (axis->min() != niceLow || axis->max() != niceHigh) {
        axis->setRange(niceLow, niceHigh);
        changed = true;
    }
    if (axis->tickCount() != ticks) {
        axis->setTickCount(ticks);
        changed = true;
    }
    return changed;
}

// The time axis shows its marks as minutes and seconds; the labels are only replaced when the
// marks change. Whether they did.
bool setTimeRange(QCategoryAxis *axis, double low, double high)
{
    const std::vector<TimeMark> marks = TimeAxisMarks(low, high);
    QStringList labels;
    for (const TimeMark &mark : marks)
        labels.append(mark.label);
    if (axis->categoriesLabels() == labels && axis->min() == marks.front().minutes
        && axis->max() == marks.back().minutes)
        return false;
    for (const QString &label : axis->categoriesLabels())
        axis->remove(label);
    axis->setStartValue(marks.front().minutes);
    for (const TimeMark &mark : marks)
        axis->append(mark.label, mark.minutes);
    axis->setRange(marks.front().minutes, marks.back().minutes);
    return true;
}

// A dot drawn once: the series stamps it at every point, where a dot of its own per point would
// be drawn anew on every repaint of the chart, which the moving trial line causes every tick.
QImage dotImage(const QColor &colour, double size)
{
    const int side = static_cast<int>(std::ceil(size));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(0, 0, size, size));
    return image;
}

QScatterSeries *dots(const QString &name, const QColor &colour, double size)
{
    auto *series = new QScatterSeries;
    series->setName(name);
    series->setColor(colour);
    series->setBorderColor(colour);
    series->setMarkerSize(size);
    series->setLightMarker(dotImage(colour, size));
    return series;
}

QLineSeries *line(const QString &name, const QColor &colour)
{
    auto *series = new QLineSeries;
    series->setName(name);
    QPen pen(colour);
    pen.setWidthF(1.5);
    series->setPen(pen);
    return series;
}

QChartView *view(QChart *chart, const char *name, QWidget *parent)
{
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto *v = new QChartView(chart, parent);
    v->setObjectName(name);
    v->setRenderHint(QPainter::Antialiasing);
    return v;
}

} // namespace

std::vector<TimeMark> TimeAxisMarks(double low, double high)
{
    high = std::max(high, low + 1); // at least a minute
    const double seconds = (high - low) * 60;
    int step = 3600;
    for (const int s : {5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600}) {
        if (s * 5 >= seconds) {
            step = s;
            break;
        }
    }
    // Whole seconds, so that the labels count exactly; a span longer than the largest step's five
    // takes more marks.
    const long long first = static_cast<long long>(std::floor(low * 60 / step));
    const long long last = static_cast<long long>(std::ceil(high * 60 / step));
    std::vector<TimeMark> marks;
    for (long long i = first; i <= std::max(last, first + 1); ++i) {
        const long long at = i * step;
        const long long whole = at < 0 ? -at : at;
        marks.push_back({static_cast<double>(at) / 60,
            QStringLiteral("%1%2:%3")
                .arg(at < 0 ? QStringLiteral("-") : QString())
                .arg(whole / 60)
                .arg(whole % 60, 2, 10, QLatin1Char('0'))});
    }
    return marks;
}

BearingCharts::BearingCharts(QWidget *parent)
    : QWidget(parent)
    , m_usedFixes(dots(QStringLiteral("Пеленги"), QColor(0, 0, 200), 7))
    , m_unusedFixes(dots(QStringLiteral("До нового галса"), QColor(160, 160, 160), 6))
    , m_trialLine(line(QStringLiteral("Пробное решение"), QColor(220, 0, 220)))
    , m_fitLine(line(QStringLiteral("Расчетное решение"), QColor(0, 150, 0)))
    , m_trialResiduals(dots(QStringLiteral("Невязки пробного"), QColor(220, 0, 220), 6))
    , m_fitResiduals(dots(QStringLiteral("Невязки расчетного"), QColor(0, 150, 0), 6))
{
    auto *bearings = new QChart;
    m_bearingChart = bearings;
    m_bearingAxes = addAxes(bearings, QStringLiteral("Пеленг, град"));
    for (QXYSeries *series :
        std::initializer_list<QXYSeries *> {m_trialLine, m_fitLine, m_unusedFixes, m_usedFixes})
        attach(bearings, series, m_bearingAxes);

    auto *residuals = new QChart;
    m_residualChart = residuals;
    m_residualAxes = addAxes(residuals, QStringLiteral("Невязка, град"));
    for (QXYSeries *series : std::initializer_list<QXYSeries *> {m_trialResiduals, m_fitResiduals})
        attach(residuals, series, m_residualAxes);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view(bearings, "BearingChart", this), 3);
    layout->addWidget(view(residuals, "ResidualChart", this), 2);
}

BearingCharts::Axes BearingCharts::addAxes(QChart *chart, const QString &valueTitle)
{
    Axes axes {new QCategoryAxis, new QValueAxis};
    axes.time->setTitleText(QStringLiteral("Время, мин:с"));
    axes.time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axes.value->setTitleText(valueTitle);
    axes.value->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(axes.time, Qt::AlignBottom);
    chart->addAxis(axes.value, Qt::AlignLeft);
    // The last time label stands centred on the plot's right end, which the chart's layout does
    // not allow for: room for half the widest label ("120:00").
    const int half
        = QFontMetrics(axes.time->labelsFont()).horizontalAdvance(QStringLiteral("000:00"));
    chart->setMargins({4, 4, 4 + (half + 1) / 2, 4});
    return axes;
}

void BearingCharts::attach(QChart *chart, QXYSeries *series, const Axes &axes)
{
    chart->addSeries(series);
    series->attachAxis(axes.time);
    series->attachAxis(axes.value);
}

bool BearingCharts::looksAlike(
    const QList<QPointF> &shown, const QList<QPointF> &points, double tolerance)
{
    if (shown.size() != points.size())
        return false;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i].x() != points[i].x() || std::fabs(shown[i].y() - points[i].y()) > tolerance)
            return false;
    }
    return true;
}

void BearingCharts::replace(QXYSeries *series, const QList<QPointF> &points, double tolerance)
{
    if (!looksAlike(series->points(), points, tolerance))
        series->replace(points);
}

double BearingCharts::invisibleShift(const QChart *chart, const QValueAxis *axis)
{
    const double span = axis->max() - axis->min();
    const double height = chart->plotArea().height();
    if (span <= 0 || height < 1)
        return 0;
    return InvisiblePixels * span / height;
}

void BearingCharts::showPoints(const ChartPoints &points)
{
    const auto x = [](const QPointF &p) { return p.x(); };
    const auto y = [](const QPointF &p) { return p.y(); };
    // One time axis for both charts, so that a residual stands under its fix.
    const Range time = span({&points.usedFixes, &points.unusedFixes, &points.trialLine}, x)
                           .value_or(Range {0, 1});
    bool timeMoved = false;
    for (QCategoryAxis *axis : {m_bearingAxes.time, m_residualAxes.time})
        timeMoved = setTimeRange(axis, time.low, time.high) || timeMoved;

    const Range bearing
        = span({&points.usedFixes, &points.unusedFixes, &points.trialLine, &points.fitLine}, y)
              .value_or(Range {0, 360});
    const bool bearingMoved
        = setNiceRange(m_bearingAxes.value, bearing.low - 1, bearing.high + 1) || timeMoved;

    const Range residual
        = span({&points.trialResiduals, &points.fitResiduals}, y).value_or(Range {0, 0});
    const double reach = std::max({1.0, std::fabs(residual.low), std::fabs(residual.high)});
    const bool residualMoved = setNiceRange(m_residualAxes.value, -reach, reach) || timeMoved;

    // The trial solution moves a little every tick as its dead reckoning goes on; a series is
    // only redrawn, which repaints its whole chart, when some point moves visibly. Once the axes
    // move everything is drawn as it stands.
    const double bearingShift
        = bearingMoved ? 0 : invisibleShift(m_bearingChart, m_bearingAxes.value);
    const double residualShift
        = residualMoved ? 0 : invisibleShift(m_residualChart, m_residualAxes.value);
    replace(m_usedFixes, points.usedFixes, 0);
    replace(m_unusedFixes, points.unusedFixes, 0);
    replace(m_trialLine, points.trialLine, bearingShift);
    replace(m_fitLine, points.fitLine, bearingShift);
    replace(m_trialResiduals, points.trialResiduals, residualShift);
    replace(m_fitResiduals, points.fitResiduals, residualShift);
}

} // namespace varmet
