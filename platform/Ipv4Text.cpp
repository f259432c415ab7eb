// Dotted IPv4 text, read and written the same way on every system.
#include <string>
#include <string_view>

#include "platform/Socket.h"

namespace fwu::platform {

bool ParseDottedIpv4(std::string_view text, Ipv4Address& out) {
    Ipv4Address parsed{};
    std::size_t pos = 0;
    for (std::size_t part = 0; part < parsed.size(); ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return false;
            }
            ++pos;
        }
        unsigned value = 0;
        std::size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || value > 255) {
            return false;
        }
        parsed[part] = static_cast<unsigned char>(value);
    }
    if (pos != text.size()) {
        return false;
    }
    out = parsed;
    return true;
}

std::string FormatIpv4(const Ipv4Address& address) {
    std::string text;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (i > 0) {
            text += '.';
        }
        text += std::to_string(address[i]);
    }
    return text;
}

}  // namespace fwu::platform
