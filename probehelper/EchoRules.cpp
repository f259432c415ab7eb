#include "probehelper/EchoRules.h"

#include <algorithm>
#include <cerrno>

namespace fwu::echo {
namespace {

constexpr unsigned char kEchoReplyType = 0;
constexpr unsigned char kIcmpProtocol = 1;

}  // namespace

bool CanBeRouterAddress(const Address& address) {
    const unsigned char first = address[0];
    const bool broadcast = address == Address{255, 255, 255, 255};
    return first != 0 && first != 127 && (first & 0xF0) != 224 && !broadcast;
}

std::uint16_t Checksum(const unsigned char* data, int length) {
    const unsigned count = static_cast<unsigned>(length) & 0xFFFFu;
    std::uint32_t sum = 0;
    unsigned i = 0;
    for (; i + 1 < count; i += 2) {
        sum += static_cast<std::uint32_t>(data[i]) | (static_cast<std::uint32_t>(data[i + 1]) << 8);
    }
    if (i < count) {
        sum += data[i];
    }
    sum = (sum & 0xFFFFu) + (sum >> 16);
    sum += sum >> 16;
    return static_cast<std::uint16_t>(~sum & 0xFFFFu);
}

Request BuildRequest(std::uint32_t identifier) {
    Request packet{8,
                   0,
                   0,
                   0,
                   static_cast<unsigned char>(identifier & 0xFF),
                   static_cast<unsigned char>((identifier >> 8) & 0xFF),
                   1,
                   0};
    const std::uint16_t checksum = Checksum(packet.data(), static_cast<int>(packet.size()));
    packet[2] = static_cast<unsigned char>(checksum & 0xFF);
    packet[3] = static_cast<unsigned char>(checksum >> 8);
    return packet;
}

std::uint16_t RequestIdentifier(const Request& request) {
    return static_cast<std::uint16_t>(request[4] | (request[5] << 8));
}

bool IsReply(const unsigned char* datagram, std::size_t length, bool withIpHeader, const Address& sender,
             const Address& probed, const Request& request) {
    if (sender != probed) {
        return false;
    }
    const unsigned char* message = datagram;
    std::size_t messageLength = length;
    if (withIpHeader) {
        if (length < 20 || (datagram[0] >> 4) != 4) {
            return false;
        }
        const std::size_t headerLength = static_cast<std::size_t>(datagram[0] & 0x0F) * 4;
        if (headerLength < 20 || length < headerLength || datagram[9] != kIcmpProtocol ||
            !std::equal(probed.begin(), probed.end(), datagram + 12)) {
            return false;
        }
        message += headerLength;
        messageLength -= headerLength;
    }
    // Type, then the identifier and sequence (bytes 4 to 7) exactly as the request carried them.
    return messageLength >= 8 && message[0] == kEchoReplyType &&
           std::equal(request.begin() + 4, request.end(), message + 4);
}

bool ParseIdentifier(const char* text, std::uint16_t& identifier) {
    if (text == nullptr || *text == '\0' || (text[0] == '0' && text[1] != '\0')) {
        return false;
    }
    std::uint32_t value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || c - text >= 5) {
            return false;
        }
        value = value * 10 + static_cast<std::uint32_t>(*c - '0');
    }
    if (value > 0xFFFF) {
        return false;
    }
    identifier = static_cast<std::uint16_t>(value);
    return true;
}

char SendFailureAnswer(int error) {
    switch (error) {
        case EACCES:
            return kBroadcastRefused;
        case ENETUNREACH:
        case EHOSTUNREACH:
            return kNoRoute;
        default:
            return 0;
    }
}

}  // namespace fwu::echo
