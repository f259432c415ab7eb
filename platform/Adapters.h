// The network adapters of this computer with their default gateways, as the kernel's IPv4 routing table
// (/proc/net/route) lists them: one entry per interface, in interface order, each with the gateways of
// its default routes in the order of the table.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fwu::platform {

struct NetworkAdapter {
    std::string name;                   // the interface name ("eth0")
    std::vector<std::string> gateways;  // dotted IPv4 texts of its default gateways, possibly none
};

enum class AdapterListStatus {
    Ok,           // the list holds at least one adapter
    NoAdapters,   // the routing table lists no interface
    Unsupported,  // the routing table cannot be read on this system
};

struct AdapterList {
    AdapterListStatus status = AdapterListStatus::Unsupported;
    std::vector<NetworkAdapter> adapters;
};

// Gives an interface's index for ordering; 0 for an unknown interface (placed after the known ones).
using InterfaceIndexLookup = std::function<unsigned(const std::string& name)>;

// Reads the text of /proc/net/route. Every interface named in the table becomes one adapter; an up
// route to destination 0.0.0.0 with mask 0.0.0.0 through a gateway adds that gateway to its interface.
// Adapters are ordered by `interfaceIndex` when given (ties and unknown names keep the table's order),
// else in the order in which the table first names them. Lines that do not parse are skipped.
std::vector<NetworkAdapter> ParseRouteTable(std::string_view text,
                                            const InterfaceIndexLookup& interfaceIndex = {});

// Reads this computer's routing table; interfaces are ordered by their kernel index.
AdapterList ReadAdapterList();

}  // namespace fwu::platform
