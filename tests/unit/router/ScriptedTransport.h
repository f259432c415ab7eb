// A status transport that plays back a script of receive results and records what was sent, so the
// status query and the router check are tested without a network.
#pragma once

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "router/StatusTransport.h"

namespace fwu::test {

class ScriptedTransport final : public StatusTransport {
public:
    // One receive: its bytes, or a plain result (0 closed, -1 error or time-out) when `bytes` is empty.
    struct Step {
        std::string bytes;
        long result = 0;
    };

    bool connectOk = true;
    bool sendOk = true;
    std::deque<Step> script;  // after the last step every receive reports a close

    int connects = 0;
    std::string connectedAddress;
    std::uint16_t connectedPort = 0;
    std::string sent;
    int receives = 0;
    int closes = 0;

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
};

}  // namespace fwu::test
