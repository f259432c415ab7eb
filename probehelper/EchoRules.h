// The rules of the reachability probe's ICMP echo, as plain functions over bytes: which addresses may be
// probed, the bytes of the echo request, and which datagram is the reply to it. Shared by the program and
// the probe helper, so both send the same bytes and count the same replies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace fwu::echo {

using Address = std::array<unsigned char, 4>;
using Request = std::array<unsigned char, 8>;

// False for addresses no router on the local network can hold: 0.0.0.0/8, 127.0.0.0/8, 224.0.0.0/4 and
// 255.255.255.255.
bool CanBeRouterAddress(const Address& address);

// The Internet checksum over `length` bytes (only its low 16 bits count), words read low byte first.
std::uint16_t Checksum(const unsigned char* data, int length);

// Type 8, code 0, checksum, identifier (low 16 bits, low byte first), sequence 1 (low byte first).
Request BuildRequest(std::uint32_t identifier);

// The identifier a request carries (bytes 4 and 5, low byte first).
std::uint16_t RequestIdentifier(const Request& request);

// True when `datagram` from `sender` is the echo reply to `request` sent to `probed`: sender and (with
// an IP header) the header's source are the probed address, type 0, the request's identifier and
// sequence.
bool IsReply(const unsigned char* datagram, std::size_t length, bool withIpHeader, const Address& sender,
             const Address& probed, const Request& request);

// The helper's answers on its output, one byte a probe.
inline constexpr char kAnswered = 'A';          // the echo reply came within the wait
inline constexpr char kSilent = 'S';            // the request went out, no reply came
inline constexpr char kBroadcastRefused = 'B';  // the system refused the request: a broadcast address
inline constexpr char kNoRoute = 'U';           // the system has no route to the address

// The answer for a request the system would not send (the errno of connect or send): kBroadcastRefused
// for EACCES, kNoRoute for ENETUNREACH and EHOSTUNREACH, 0 for any other error, after which the probe
// still waits for a reply.
char SendFailureAnswer(int error);

// Strict decimal 0..65535 without sign, blanks or leading zeros; false otherwise.
bool ParseIdentifier(const char* text, std::uint16_t& identifier);

}  // namespace fwu::echo
