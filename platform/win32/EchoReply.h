// What the system's ICMP service reports of an echo, turned into the ICMP message a datagram socket would
// have received, so the probe applies one reply rule on every system. Pure, for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fwu::platform::win32 {

// IcmpSendEcho2 gives, per reply, a status (0 for an echo reply) and the data the reply carried back.
// The message rebuilt here is what the reply holds: type 0 for an echo reply (any other status gives
// nothing), code 0, then the identifier and sequence bytes of the request that the reply echoed back in
// its data (bytes 4 to 7 of it), the checksum left 0 (the system has checked the reply's), and the echoed
// data as its payload. Empty when the status is not success or the data is shorter than 8 bytes.
std::vector<unsigned char> RebuildEchoReply(std::uint32_t status, const unsigned char* echoed,
                                            std::size_t echoedLength);

}  // namespace fwu::platform::win32
