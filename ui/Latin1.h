// The program's texts (the string table's, the carried image's, the router's) are single-byte strings;
// on the window they become QStrings through this one conversion.
#pragma once

#include <QString>
#include <string_view>

namespace fwu {

inline QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace fwu
