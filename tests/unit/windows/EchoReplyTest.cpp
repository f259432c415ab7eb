// The rebuilt reply must pass the probe's reply rule exactly when the system reported the echo reply to
// this very request.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/EchoReply.h"
#include "probehelper/EchoRules.h"

namespace {

using fwu::platform::win32::RebuildEchoReply;

struct ReplyCase {
    const char* what;
    std::uint32_t status;
    std::vector<unsigned char> echoed;
    bool counts;
};

TEST(RebuildEchoReply, CountsOnlyTheSuccessfulEchoOfThisRequest) {
    const fwu::echo::Request request = fwu::echo::BuildRequest(0x1234);
    const fwu::echo::Request otherRequest = fwu::echo::BuildRequest(0x4321);
    const std::vector<unsigned char> own(request.begin(), request.end());
    const std::vector<unsigned char> other(otherRequest.begin(), otherRequest.end());
    const fwu::echo::Address router{192, 168, 1, 1};
    const std::vector<ReplyCase> cases = {
        {"echo reply to this request", 0, own, true},
        {"host unreachable", 11003, own, false},
        {"timed out", 11010, own, false},
        {"another request's data", 0, other, false},
        {"data cut short", 0, std::vector<unsigned char>(own.begin(), own.begin() + 7), false},
        {"no data", 0, {}, false},
    };
    for (const ReplyCase& c : cases) {
        const std::vector<unsigned char> message =
            RebuildEchoReply(c.status, c.echoed.data(), c.echoed.size());
        const bool counts = !message.empty() && fwu::echo::IsReply(message.data(), message.size(), false,
                                                                   router, router, request);
        EXPECT_EQ(counts, c.counts) << c.what;
    }
}

}  // namespace
