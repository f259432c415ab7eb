#include "app/StatusText.h"

#include <cstdio>

#include "res/StringTable.h"

namespace fwu {

std::string FormatWithInt(std::string_view format, int argument) {
    constexpr std::size_t limit = kStatusTextCapacity - 1;
    std::string out;
    const auto append = [&](std::string_view piece) { out.append(piece.substr(0, limit - out.size())); };
    for (std::size_t i = 0; i < format.size() && out.size() < limit; ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out.push_back(format[i]);
            continue;
        }
        char number[32];
        const char conversion = format[i + 1];
        switch (conversion) {
            case 'd':
            case 'i':
                std::snprintf(number, sizeof number, "%d", argument);
                break;
            case 'u':
                std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(argument));
                break;
            case 'x':
                std::snprintf(number, sizeof number, "%x", static_cast<unsigned>(argument));
                break;
            case 'X':
                std::snprintf(number, sizeof number, "%X", static_cast<unsigned>(argument));
                break;
            case 'c':
                if (static_cast<char>(argument) == '\0') {
                    return out;  // a NUL ends the text, as it would end a C string
                }
                number[0] = static_cast<char>(argument);
                number[1] = '\0';
                break;
            case '%':
                number[0] = '%';
                number[1] = '\0';
                break;
            default:
                out.push_back('%');  // not ours to interpret: keep the text as written
                continue;
        }
        ++i;
        append(conversion == 'c' ? std::string_view(number, 1) : std::string_view(number));
    }
    return out;
}

std::string FormatStatusText(int stringId, int argument) {
    return FormatWithInt(LoadString(stringId), argument);
}

std::string FormatPercentText(int percent) {
    return std::to_string(percent) + '%';
}

}  // namespace fwu
