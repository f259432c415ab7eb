// A status transport that plays back a script of receive results and records what was sent, so the
// status query and the router check are tested without a network. It keeps its own clock: each step
// arrives `afterMs` after its receive began, and a step that would arrive later than the wait the query
// allowed makes the receive time out once that wait has passed, as a socket would; nothing sleeps.
#pragma once

#include <chrono>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "router/StatusQuery.h"
#include "router/StatusTransport.h"

namespace fwu::test {

class ScriptedTransport final : public StatusTransport {
public:
    // One receive: its bytes, or a plain result (0 closed, -1 error or time-out) when `bytes` is empty.
    struct Step {
        std::string bytes;
        long result = 0;
        int afterMs = 0;  // time from the start of the receive until the step arrives
    };

    bool connectOk = true;
    int connectMs = 0;  // how long the connect takes
    bool sendOk = true;
    std::deque<Step> script;  // after the last step every receive reports a close

    int connects = 0;
    std::string connectedAddress;
    std::uint16_t connectedPort = 0;
    std::string sent;
    int receives = 0;
    int closes = 0;
    std::chrono::milliseconds elapsed{0};  // the transport's clock
    int waitLimitMs = -1;                  // the last limit the query set; -1: none

    // The transport's clock, for the query's deadline.
    StatusClock Clock() {
        return [this] { return std::chrono::steady_clock::time_point{} + elapsed; };
    }

    // The head at once, then `count` blocks of `bytes`, each `everyMs` after the last.
    static ScriptedTransport Drip(const std::string& head, const std::string& bytes, int everyMs, int count) {
        ScriptedTransport t = Blocks({head});
        for (int i = 0; i < count; ++i) {
            t.script.push_back({bytes, 0, everyMs});
        }
        return t;
    }

    static ScriptedTransport Blocks(const std::vector<std::string>& blocks) {
        ScriptedTransport t;
        for (const std::string& b : blocks) {
            t.script.push_back({b, 0});
        }
        return t;
    }

    bool Connect(const std::string& address, std::uint16_t port) override {
        ++connects;
        connectedAddress = address;
        connectedPort = port;
        if (!Wait(connectMs)) {
            return false;
        }
        return connectOk;
    }
    bool Send(std::string_view bytes) override {
        sent.append(bytes);
        return sendOk;
    }
    long Receive(char* buffer, std::size_t capacity) override {
        ++receives;
        if (script.empty()) {
            return 0;
        }
        if (!Wait(script.front().afterMs)) {
            script.front().afterMs -= waitLimitMs;
            return -1;  // timed out
        }
        Step step = script.front();
        script.pop_front();
        if (step.bytes.empty()) {
            return step.result;
        }
        // A step longer than one receive is handed out in pieces, as a socket would.
        if (step.bytes.size() > capacity) {
            script.push_front({step.bytes.substr(capacity), 0});
            step.bytes.resize(capacity);
        }
        std::memcpy(buffer, step.bytes.data(), step.bytes.size());
        return static_cast<long>(step.bytes.size());
    }
    void Close() override { ++closes; }
    void LimitWaits(int waitMs) override { waitLimitMs = waitMs; }

private:
    // Lets `ms` pass, or only the allowed wait when that is shorter (false then).
    bool Wait(int ms) {
        const bool inTime = waitLimitMs < 0 || ms <= waitLimitMs;
        elapsed += std::chrono::milliseconds(inTime ? ms : waitLimitMs);
        return inTime;
    }
};

}  // namespace fwu::test
