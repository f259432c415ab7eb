// The split and the join of the router address.
#include "router/RouterAddress.h"

namespace fwu {

RouterAddress RouterAddress::Split(const std::string& dotted) {
    RouterAddress address;
    std::size_t start = 0;
    for (std::size_t octet = 0; octet < 3; ++octet) {
        const std::size_t dot = dotted.find('.', start);
        if (dot == std::string::npos) {
            return address;
        }
        address.octets[octet] = dotted.substr(start, dot - start);
        start = dot + 1;
    }
    address.octets[3] = dotted.substr(start);
    return address;
}

RouterAddress RouterAddress::FromFields(const Octets& fieldTexts) {
    RouterAddress address;
    for (std::size_t i = 0; i < fieldTexts.size(); ++i) {
        address.octets[i] = fieldTexts[i].empty() ? "0" : fieldTexts[i];
    }
    return address;
}

std::string RouterAddress::Dotted() const {
    return octets[0] + "." + octets[1] + "." + octets[2] + "." + octets[3];
}

}  // namespace fwu
