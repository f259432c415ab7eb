// The status page exchange. The answer is untrusted: it is kept within fixed bounds of size and time,
// searched as plain bytes and handed on only as data.
#include "router/StatusQuery.h"

#include <algorithm>

#include "router/RouterEndpoints.h"

namespace fwu {
namespace {

// The exchange's one deadline on the given clock.
class ExchangeDeadline {
public:
    ExchangeDeadline(const StatusClock& clock, int limitMs)
        : clock(clock), end(clock() + std::chrono::milliseconds(std::max(limitMs, 0))) {}

    // Milliseconds left, rounded up; 0 once the deadline has passed.
    int RemainingMs() const {
        const auto left = end - clock();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return 0;
        }
        return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }

private:
    const StatusClock& clock;
    std::chrono::steady_clock::time_point end;
};

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int QueryStatusPage(StatusTransport& transport, const std::string& address, std::string_view request,
                    std::string_view startMarker, std::string_view endMarker, std::string& versionText,
                    bool& refused, const StatusClock& clock, int limitMs) {
    refused = false;
    versionText.clear();
    const ExchangeDeadline deadline(clock, limitMs);
    // Before each step the transport learns how long it may still wait; with no time left the exchange
    // ends as a failed connection.
    auto timeLeft = [&] {
        const int left = deadline.RemainingMs();
        transport.LimitWaits(left);
        return left > 0;
    };
    if (!timeLeft() || !transport.Connect(address, kRouterHttpPort) || !timeLeft() ||
        !transport.Send(request)) {
        transport.Close();
        return 0;
    }

    std::string response;
    response.reserve(kMaxStatusResponseChars);
    std::size_t receivedBytes = 0;
    bool firstBlock = true;
    bool found = false;
    char block[kStatusBlockBytes];
    while (timeLeft()) {
        const long received = transport.Receive(block, sizeof block);
        if (received <= 0) {
            break;  // closed by the router, failed or timed out
        }
        // Every byte counts toward the bound, also those the text below leaves out, so a router that
        // sends NULs cannot keep the exchange going.
        const std::size_t take =
            std::min(static_cast<std::size_t>(received), kMaxStatusResponseChars - receivedBytes);
        receivedBytes += take;
        std::string_view text(block, take);
        // The block is taken as text: a NUL byte ends it.
        text = text.substr(0, text.find('\0'));
        if (firstBlock) {
            firstBlock = false;
            if (text.find(kAcceptedStatus) == std::string_view::npos) {
                refused = true;
                break;
            }
        }
        response.append(text);

        const std::size_t start = response.find(startMarker);
        if (start != std::string::npos) {
            const std::size_t fieldBegin = start + startMarker.size();
            const std::size_t end = response.find(endMarker, fieldBegin);
            if (end != std::string::npos) {
                // Blanks around the version are layout, not part of it; they are dropped before the cut
                // so they never take room from the version, and again after it so the cut never ends
                // in one.
                const std::string_view field =
                    TrimBlanks(std::string_view(response).substr(fieldBegin, end - fieldBegin));
                versionText = TrimBlanks(field.substr(0, kMaxVersionChars));
                found = true;
                break;
            }
        }
        if (receivedBytes >= kMaxStatusResponseChars) {
            break;  // full before the field was complete
        }
    }
    transport.Close();
    return found ? 1 : 0;
}

int QueryStatusPage(StatusTransport& transport, const std::string& address, std::string_view request,
                    std::string_view startMarker, std::string_view endMarker, std::string& versionText,
                    bool& refused) {
    const StatusClock steady = [] { return std::chrono::steady_clock::now(); };
    return QueryStatusPage(transport, address, request, startMarker, endMarker, versionText, refused, steady);
}

}  // namespace fwu
