#include "app/StatusText.h"

namespace fwu {

std::string FormatPercentText(int percent) {
    return std::to_string(percent) + '%';
}

}  // namespace fwu
