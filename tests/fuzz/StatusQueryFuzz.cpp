// The status page exchange against a router whose answer is the input. The first byte shapes the
// delivery: its low seven bits are the size of each received block (0: as much as the query asks for),
// its top bit makes the end of the answer a time-out instead of a close. The rest is the answer.
#include <algorithm>
#include <string>
#include <string_view>

#include "router/RouterEndpoints.h"
#include "router/StatusQuery.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

class InputTransport final : public fwu::StatusTransport {
public:
    InputTransport(std::string_view answer, std::size_t step, long end)
        : answer(answer), step(step), end(end) {}

    bool Connect(const std::string&, std::uint16_t port) override {
        FUZZ_CHECK(!closed && port == fwu::kRouterHttpPort);
        return true;
    }
    bool Send(std::string_view) override {
        FUZZ_CHECK(!closed);
        return true;
    }
    long Receive(char* buffer, std::size_t capacity) override {
        // Nothing is asked of a connection that is closed or has already ended.
        FUZZ_CHECK(!closed && !ended && capacity > 0);
        if (answer.empty()) {
            ended = true;
            return end;
        }
        const std::size_t n = std::min({capacity, step == 0 ? capacity : step, answer.size()});
        answer.copy(buffer, n);
        answer.remove_prefix(n);
        handedOut += n;
        return static_cast<long>(n);
    }
    void Close() override { closed = true; }

    bool closed = false;
    std::size_t handedOut = 0;

private:
    std::string_view answer;
    std::size_t step;
    long end;
    bool ended = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view answer(reinterpret_cast<const char*>(data) + 1, size - 1);
    InputTransport transport(answer, data[0] & 0x7F, (data[0] & 0x80) != 0 ? -1 : 0);

    std::string field = "left over";
    bool refused = true;
    const int found = fwu::QueryStatusPage(transport, "192.0.2.1", "GET /SysInfo.htm HTTP/1.0\r\n\r\n",
                                           fwu::kVersionStartMarker, fwu::kVersionEndMarker, field, refused);

    FUZZ_CHECK(transport.closed);
    // Every received byte counts toward the cap, NUL blocks included: the query stops asking past it.
    FUZZ_CHECK(transport.handedOut <= fwu::kMaxStatusResponseChars + fwu::kStatusBlockBytes);
    FUZZ_CHECK(found == 0 || found == 1);
    FUZZ_CHECK(!refused || found == 0);
    if (found == 0) {
        FUZZ_CHECK(field.empty());
        return 0;
    }
    // The field is shown and compared as text: bounded, without NUL, and ending before the end marker.
    FUZZ_CHECK(field.size() <= fwu::kMaxVersionChars);
    FUZZ_CHECK(field.find('\0') == std::string::npos);
    FUZZ_CHECK(field.find(fwu::kVersionEndMarker) == std::string::npos);
    // Blanks around the version would defeat the comparison, so none are left at either end.
    FUZZ_CHECK(fwu::TrimBlanks(field) == field);
    // The accepted status line can only have come from the answer's first block.
    FUZZ_CHECK(answer.find(fwu::kAcceptedStatus) != std::string_view::npos);
    return 0;
}
