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

std::string PrintableLine(std::string_view text, std::size_t maxChars) {
    text = text.substr(0, text.find_first_of("\r\n"));
    std::string line;
    for (const char c : text.substr(0, maxChars)) {
        const auto byte = static_cast<unsigned char>(c);
        line.push_back(byte >= 0x20 && byte < 0x7F ? c : '?');
    }
    return line;
}

StatusPageAnswer ReadStatusPage(StatusTransport& transport, const std::string& address,
                                std::string_view request, std::string_view startMarker,
                                std::string_view endMarker, const StatusClock& clock, int limitMs) {
    StatusPageAnswer answer;
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
        answer.end = deadline.RemainingMs() > 0 ? StatusQueryEnd::NoConnection : StatusQueryEnd::TimedOut;
        return answer;
    }

    std::string response;
    response.reserve(kMaxStatusResponseChars);
    std::size_t receivedBytes = 0;
    bool firstBlock = true;
    answer.end = StatusQueryEnd::TimedOut;  // until the answer ends otherwise
    char block[kStatusBlockBytes];
    while (timeLeft()) {
        const long received = transport.Receive(block, sizeof block);
        if (received <= 0) {
            // Closed by the router: the page ended without the field (closed before any byte: as a
            // connection that failed). Failed or timed out: no answer in time.
            if (received == 0) {
                answer.end = firstBlock ? StatusQueryEnd::NoConnection : StatusQueryEnd::NoField;
            } else {
                answer.end = StatusQueryEnd::TimedOut;
            }
            break;
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
                answer.end = StatusQueryEnd::Refused;
                answer.statusLine = PrintableLine(text, kMaxShownStatusLine);
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
                answer.version = TrimBlanks(field.substr(0, kMaxVersionChars));
                answer.end = StatusQueryEnd::Found;
                break;
            }
        }
        if (receivedBytes >= kMaxStatusResponseChars) {
            answer.end = StatusQueryEnd::NoField;  // full before the field was complete
            break;
        }
    }
    transport.Close();
    return answer;
}

int QueryStatusPage(StatusTransport& transport, const std::string& address, std::string_view request,
                    std::string_view startMarker, std::string_view endMarker, std::string& versionText,
                    bool& refused, const StatusClock& clock, int limitMs) {
    const StatusPageAnswer answer =
        ReadStatusPage(transport, address, request, startMarker, endMarker, clock, limitMs);
    refused = answer.end == StatusQueryEnd::Refused;
    versionText = answer.version;
    return answer.end == StatusQueryEnd::Found ? 1 : 0;
}

int QueryStatusPage(StatusTransport& transport, const std::string& address, std::string_view request,
                    std::string_view startMarker, std::string_view endMarker, std::string& versionText,
                    bool& refused) {
    const StatusClock steady = [] { return std::chrono::steady_clock::now(); };
    return QueryStatusPage(transport, address, request, startMarker, endMarker, versionText, refused, steady);
}

}  // namespace fwu
