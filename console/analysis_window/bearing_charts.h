#pragma once

// The two charts of the analysis window: bearings against time (the fixes as dots, the trial
// solution's and the fitted solution's predicted bearings as lines), and under it the residuals
// of both against the same time axis.

#include "analysis_snapshot.h"

#include <QWidget>

#include <vector>

class QCategoryAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;
class QXYSeries;
class QChart;

namespace varmet {

// A mark of the time axis: where it stands (minutes of operational time) and its label, minutes and
// seconds ("9:20").
struct TimeMark
{
    double minutes = 0;
    QString label;
};
// The marks over [low, high] minutes: whole steps of 5, 10, 15 or 30 seconds or of 1, 2, 5, 10,
// 15, 30 or 60 minutes, some five steps in all, from the step at or below `low` to the one at or
// above `high`. No two labels are alike.
std::vector<TimeMark> TimeAxisMarks(double low, double high);

class BearingCharts : public QWidget
{
    Q_OBJECT
public:
    explicit BearingCharts(QWidget *parent = nullptr);

    // Shows the points; a series none of whose points moved visibly is left alone.
    void showPoints(const ChartPoints &points);

private:
    struct Axes
    {
        QCategoryAxis *time;
        QValueAxis *value;
    };
    static Axes addAxes(QChart *chart, const QString &valueTitle);
    static void attach(QChart *chart, QXYSeries *series, const Axes &axes);
    // A point moved by less than this many pixels is left where it is drawn: the lines are 1.5 px
    // wide and the dots 6 or 7 px, and redrawing a series repaints its whole chart.
    static constexpr double InvisiblePixels = 1.0;
    // Whether the series showing `shown` shows `points` to the eye: the same points, none moved
    // by more than `tolerance` in y.
    static bool looksAlike(
        const QList<QPointF> &shown, const QList<QPointF> &points, double tolerance);
    static void replace(QXYSeries *series, const QList<QPointF> &points, double tolerance);
    // The value-axis span of `InvisiblePixels` on the chart as laid out; 0 before it is.
    static double invisibleShift(const QChart *chart, const QValueAxis *axis);

    QScatterSeries *m_usedFixes;
    QScatterSeries *m_unusedFixes;
    QLineSeries *m_trialLine;
    QLineSeries *m_fitLine;
    QScatterSeries *m_trialResiduals;
    QScatterSeries *m_fitResiduals;
    QChart *m_bearingChart;
    QChart *m_residualChart;
    Axes m_bearingAxes {};
    Axes m_residualAxes {};
};

} // namespace varmet
