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

namespace {

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// True when the marker at `at` begins a phrase of its own: neither glued to a word before it nor the
// tail of a longer name ("Latest Firmware Version:" does not name the router's version).
bool BeginsPhrase(std::string_view text, std::size_t at) {
    std::size_t i = at;
    while (i > 0 && (text[i - 1] == ' ' || text[i - 1] == '\t')) {
        --i;
    }
    return i == 0 || !IsAsciiAlnum(text[i - 1]);
}

// Where the body begins (after the empty line that ends the header block), or npos before it arrived.
std::size_t BodyStart(std::string_view response) {
    const std::size_t crlf = response.find("\r\n\r\n");
    const std::size_t lf = response.find("\n\n");
    if (crlf == std::string_view::npos && lf == std::string_view::npos) {
        return std::string_view::npos;
    }
    return crlf < lf ? crlf + 4 : lf + 2;
}

// The complete version fields of the body received so far.
struct PageFields {
    int count = 0;
    std::string first;
    bool conflicting = false;  // a later field names another version than the first
};

PageFields FindFields(std::string_view response, std::string_view startMarker, std::string_view endMarker) {
    PageFields fields;
    const std::size_t body = BodyStart(response);
    if (body == std::string_view::npos || startMarker.empty()) {
        return fields;
    }
    const std::string_view page = response.substr(body);
    for (std::size_t at = page.find(startMarker); at != std::string_view::npos;
         at = page.find(startMarker, at + 1)) {
        if (!BeginsPhrase(page, at)) {
            continue;
        }
        const std::size_t fieldBegin = at + startMarker.size();
        const std::size_t end = page.find(endMarker, fieldBegin);
        if (end == std::string_view::npos) {
            break;  // the rest of the page has not arrived
        }
        // Blanks around the version are layout, not part of it; they are dropped before the cut so they
        // never take room from the version, and again after it so the cut never ends in one.
        const std::string_view field = TrimBlanks(page.substr(fieldBegin, end - fieldBegin));
        std::string version(TrimBlanks(field.substr(0, kMaxVersionChars)));
        if (fields.count++ == 0) {
            fields.first = std::move(version);
        } else if (version != fields.first) {
            fields.conflicting = true;
        }
    }
    return fields;
}

// A status line whose code is 401: the router asks for another password.
bool IsUnauthorized(std::string_view line) {
    const std::size_t space = line.find(' ');
    return line.starts_with("HTTP/") && space != std::string_view::npos &&
           line.substr(space + 1, 3) == "401" && (line.size() == space + 4 || line[space + 4] == ' ');
}

}  // namespace

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
            const std::string_view line = text.substr(0, text.find_first_of("\r\n"));
            if (line != kAcceptedStatus) {
                answer.end = IsUnauthorized(line) ? StatusQueryEnd::Refused : StatusQueryEnd::NotStatusPage;
                answer.statusLine = PrintableLine(text, kMaxShownStatusLine);
                break;
            }
        }
        response.append(text);

        const PageFields fields = FindFields(response, startMarker, endMarker);
        if (fields.count > 0) {
            // The fields decide on what has arrived by the block that completed the first one: a page
            // that names two different versions names none the program could trust.
            answer.end = fields.conflicting ? StatusQueryEnd::Conflicting : StatusQueryEnd::Found;
            if (!fields.conflicting) {
                answer.version = fields.first;
            }
            break;
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
    refused = answer.end == StatusQueryEnd::Refused || answer.end == StatusQueryEnd::NotStatusPage;
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
