// The probe's way when the process may open no ICMP socket of its own. Each system's build brings its
// own: on Linux the probe helper (ProbeThroughHelper.cpp), on Windows none, since the system's ICMP
// service needs no rights there (win32/NoProbeHelper.cpp).
#pragma once

#include <cstdint>

#include "platform/Socket.h"
#include "router/Probe.h"

namespace fwu {

// One probe of `to` without an ICMP socket of this process, `identifier` in its request.
ProbeAttempt ProbeWithoutSocket(const platform::Ipv4Address& to, std::uint16_t identifier, int waitMs);

}  // namespace fwu
