#include "platform/win32/EchoReply.h"

#include <algorithm>

namespace fwu::platform::win32 {
namespace {

constexpr std::uint32_t kStatusSuccess = 0;  // IP_SUCCESS: the answer was an echo reply
constexpr std::size_t kRequestBytes = 8;

}  // namespace

std::vector<unsigned char> RebuildEchoReply(std::uint32_t status, const unsigned char* echoed,
                                            std::size_t echoedLength) {
    if (status != kStatusSuccess || echoed == nullptr || echoedLength < kRequestBytes) {
        return {};
    }
    std::vector<unsigned char> message(kRequestBytes + echoedLength, 0);
    std::copy(echoed + 4, echoed + kRequestBytes, message.begin() + 4);
    std::copy(echoed, echoed + echoedLength, message.begin() + kRequestBytes);
    return message;
}

}  // namespace fwu::platform::win32
