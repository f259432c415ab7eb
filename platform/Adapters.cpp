// The adapter list from /proc/net/route. The kernel prints each address as the 32-bit value of its
// network-order bytes in hexadecimal, so the bytes are recovered from the value in host order.
#include "platform/Adapters.h"

#include <net/if.h>
#include <net/route.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fwu::platform {
namespace {

constexpr const char* kRouteTablePath = "/proc/net/route";
// Far more than any routing table of a desktop; the reader stops there.
constexpr std::size_t kMaxRouteTableBytes = 1024 * 1024;

bool ParseHex32(const std::string& text, std::uint32_t& value) {
    if (text.empty() || text.size() > 8) {
        return false;
    }
    std::uint32_t v = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return false;
        }
        v = (v << 4) | static_cast<std::uint32_t>(digit);
    }
    value = v;
    return true;
}

std::string AddressFromKernelValue(std::uint32_t value) {
    std::array<unsigned char, 4> bytes{};
    std::memcpy(bytes.data(), &value, bytes.size());
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
           std::to_string(bytes[3]);
}

}  // namespace

std::vector<NetworkAdapter> ParseRouteTable(std::string_view text,
                                            const InterfaceIndexLookup& interfaceIndex) {
    std::vector<NetworkAdapter> adapters;
    std::istringstream lines{std::string(text)};
    std::string line;
    bool header = true;
    while (std::getline(lines, line)) {
        if (header) {  // "Iface Destination Gateway Flags ..."
            header = false;
            continue;
        }
        std::istringstream fields(line);
        std::string name, destination, gateway, flags, refCount, use, metric, mask;
        if (!(fields >> name >> destination >> gateway >> flags >> refCount >> use >> metric >> mask)) {
            continue;
        }
        std::uint32_t destinationValue = 0, gatewayValue = 0, flagsValue = 0, maskValue = 0;
        if (!ParseHex32(destination, destinationValue) || !ParseHex32(gateway, gatewayValue) ||
            !ParseHex32(flags, flagsValue) || !ParseHex32(mask, maskValue)) {
            continue;
        }
        auto adapter = std::find_if(adapters.begin(), adapters.end(),
                                    [&name](const NetworkAdapter& a) { return a.name == name; });
        if (adapter == adapters.end()) {
            adapters.push_back({name, {}});
            adapter = std::prev(adapters.end());
        }
        const bool isDefault = destinationValue == 0 && maskValue == 0;
        const bool viaGateway = (flagsValue & RTF_UP) != 0 && (flagsValue & RTF_GATEWAY) != 0;
        if (isDefault && viaGateway) {
            adapter->gateways.push_back(AddressFromKernelValue(gatewayValue));
        }
    }
    if (interfaceIndex) {
        // Unknown interfaces (index 0) go last.
        auto key = [&interfaceIndex](const NetworkAdapter& a) {
            const unsigned index = interfaceIndex(a.name);
            return index == 0 ? ~0u : index;
        };
        std::stable_sort(
            adapters.begin(), adapters.end(),
            [&key](const NetworkAdapter& a, const NetworkAdapter& b) { return key(a) < key(b); });
    }
    return adapters;
}

AdapterList ReadAdapterList() {
    AdapterList list;
    std::ifstream file(kRouteTablePath, std::ios::binary);
    if (!file) {
        return list;
    }
    std::string text(kMaxRouteTableBytes, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    list.adapters =
        ParseRouteTable(text, [](const std::string& name) { return ::if_nametoindex(name.c_str()); });
    list.status = list.adapters.empty() ? AdapterListStatus::NoAdapters : AdapterListStatus::Ok;
    return list;
}

}  // namespace fwu::platform
