// The progress page's percent figure.
#include <gtest/gtest.h>

#include "app/StatusText.h"

namespace fwu {
namespace {

TEST(StatusText, PercentFigure) {
    EXPECT_EQ(FormatPercentText(37), "37%");
    EXPECT_EQ(FormatPercentText(0), "0%");
    EXPECT_EQ(FormatPercentText(100), "100%");
}

}  // namespace
}  // namespace fwu
