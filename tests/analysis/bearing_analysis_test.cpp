#include "analysis/bearing_analysis.h"

#include <gtest/gtest.h>

namespace varmet {
namespace {

TEST(FoldBearing, AcrossNorth)
{
    EXPECT_DOUBLE_EQ(static_cast<double>(FoldBearing(1 - 359.0L)), 2.0);
}

} // namespace
} // namespace varmet
