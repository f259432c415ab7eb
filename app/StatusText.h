// The percent figure of the progress page.
#pragma once

#include <string>

namespace fwu {

// The number followed by '%' ("37%"); values outside 0..100 appear as they are.
std::string FormatPercentText(int percent);

}  // namespace fwu
