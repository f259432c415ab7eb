// The adapters and their gateways from GetAdaptersAddresses, in the order the system gives them (its
// binding order). The routing-table reader of the header is a Linux affair and is not built here.
#include "platform/Adapters.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
// clang-format on

#include <cstring>
#include <vector>

#include "platform/win32/AdapterGateways.h"
#include "platform/win32/WideText.h"

namespace fwu::platform {
namespace {

// The list's first guess at its size; the call says how much it needs when that is too little.
constexpr ULONG kFirstGuessBytes = 16 * 1024;
constexpr int kAttempts = 4;  // adapters may come and go between the calls

std::optional<Ipv4Address> Ipv4Of(const SOCKET_ADDRESS& address) {
    if (address.lpSockaddr == nullptr || address.lpSockaddr->sa_family != AF_INET ||
        address.iSockaddrLength < static_cast<INT>(sizeof(sockaddr_in))) {
        return std::nullopt;
    }
    Ipv4Address out{};
    std::memcpy(out.data(), &reinterpret_cast<const sockaddr_in*>(address.lpSockaddr)->sin_addr, out.size());
    return out;
}

}  // namespace

AdapterList ReadAdapterList() {
    const ULONG flags = GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                        GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = kFirstGuessBytes;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < kAttempts && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.assign(size, 0);
        result = ::GetAdaptersAddresses(AF_INET, flags, nullptr,
                                        reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    AdapterList list;
    if (result == ERROR_NO_DATA) {
        list.status = AdapterListStatus::NoAdapters;
        return list;
    }
    if (result != NO_ERROR) {
        return list;  // Unsupported
    }
    std::vector<win32::ReportedAdapter> reported;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
         adapter = adapter->Next) {
        win32::ReportedAdapter entry;
        entry.name = adapter->FriendlyName != nullptr ? win32::ToUtf8(adapter->FriendlyName) : std::string();
        entry.up = adapter->OperStatus == IfOperStatusUp;
        for (auto* gateway = adapter->FirstGatewayAddress; gateway != nullptr; gateway = gateway->Next) {
            entry.gateways.push_back(Ipv4Of(gateway->Address));
        }
        reported.push_back(std::move(entry));
    }
    list.adapters = win32::FirstGatewayOfEach(reported);
    list.status = list.adapters.empty() ? AdapterListStatus::NoAdapters : AdapterListStatus::Ok;
    return list;
}

}  // namespace fwu::platform
