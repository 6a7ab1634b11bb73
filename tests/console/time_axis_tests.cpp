// The analysis charts' time axis: marks in minutes and seconds that never repeat a label.

#include "console/analysis_window/bearing_charts.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QSet>

#include <gtest/gtest.h>

using namespace varmet;

TEST(TimeAxis, LabelsAreDistinctMinutesAndSecondsCoveringTheSpan)
{
    // {low, high} in minutes: a minute and a third (whole-minute labels once read "9 9 9 9 10 10"),
    // a first minute, a long watch, and a span that starts before the clock's zero.
    const std::pair<double, double> spans[] = {{9, 10.33}, {0, 0}, {0, 95}, {-0.5, 2}};
    for (const auto &[low, high] : spans) {
        const std::vector<TimeMark> marks = TimeAxisMarks(low, high);
        ASSERT_GE(marks.size(), 2u) << low;
        EXPECT_LE(marks.size(), 8u) << low;
        EXPECT_LE(marks.front().minutes, low);
        EXPECT_GE(marks.back().minutes, std::max(high, low + 1));
        QSet<QString> labels;
        for (std::size_t i = 0; i < marks.size(); ++i) {
            labels.insert(marks[i].label);
            if (i > 0) {
                EXPECT_GT(marks[i].minutes, marks[i - 1].minutes);
            }
        }
        EXPECT_EQ(labels.size(), static_cast<qsizetype>(marks.size())) << low;
    }
    const std::vector<TimeMark> watch = TimeAxisMarks(9, 10.33);
    QStringList shown;
    for (const TimeMark &mark : watch)
        shown.append(mark.label);
    EXPECT_EQ(shown.join(' ').toStdString(), "9:00 9:30 10:00 10:30");
    EXPECT_EQ(TimeAxisMarks(-0.5, 2).front().label.toStdString(), "-0:30");
}

// The last label stands centred on the plot's right end: the chart leaves room for all of it.
TEST(TimeAxis, TheLastLabelIsNotCutAtTheChartsEdge)
{
    BearingCharts charts;
    charts.resize(600, 640);
    charts.show();
    ChartPoints points;
    points.usedFixes = {{0, 40}, {95, 20}}; // minutes: the widest label, "120:00"
    charts.showPoints(points);
    QApplication::processEvents();
    const auto views = charts.findChildren<QChartView *>();
    ASSERT_EQ(views.size(), 2);
    for (const QChartView *view : views) {
        const QChart *chart = view->chart();
        auto *axis = qobject_cast<QCategoryAxis *>(chart->axes(Qt::Horizontal).value(0));
        ASSERT_TRUE(axis);
        const QString last = axis->categoriesLabels().last();
        const double half = QFontMetricsF(axis->labelsFont()).horizontalAdvance(last) / 2;
        EXPECT_LE(chart->plotArea().right() + half, chart->size().width())
            << view->objectName().toStdString() << " " << last.toStdString();
    }
}
