// The analysis charts' time axis: marks in minutes and seconds that never repeat a label.

#include "console/analysis_window/bearing_charts.h"

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
