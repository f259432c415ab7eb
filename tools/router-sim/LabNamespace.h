// The lab's guard: a process may send to lab addresses, or switch off the router's ping answers, only
// when it runs in a network namespace that the lab made and registered under /run/netns.
#pragma once

#include <string>

namespace fwu::sim {

// True when this process's network namespace is /run/netns/<name>, the name read from the environment
// variable `nameVariable` (FWU_LAB_NETNS for the PC side, FWU_LAB_ROUTER_NETNS for the router side).
// Otherwise false with the reason in `why`.
bool InsideLabNamespace(const char* nameVariable, std::string& why);

// Sets whether the kernel of this network namespace ignores ICMP echo requests. Refuses (false, reason in
// `why`) unless this process runs in the lab's router namespace (FWU_LAB_ROUTER_NETNS).
bool SetIgnoreEchoRequests(bool ignore, std::string& why);

}  // namespace fwu::sim
