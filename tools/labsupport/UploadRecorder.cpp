#include "tools/labsupport/UploadRecorder.h"

#include <atomic>
#include <chrono>

namespace fwu::test {

bool Timeline::WaitForDone(int ms) {
    std::unique_lock lock(mutex);
    return done.wait_for(lock, std::chrono::milliseconds(ms), [this] {
        for (const Event& e : events) {
            if (e.kind == Kind::Done) {
                return true;
            }
        }
        return false;
    });
}

bool FakeHttpSession::Call(const std::string& name) {
    log->calls.push_back(name);
    if (name != fault.call) {
        return true;
    }
    int seen = 0;
    for (const std::string& call : log->calls) {
        seen += call == name ? 1 : 0;
    }
    return seen != fault.occurrence;
}

bool FakeHttpSession::Open(const std::string& agentName) {
    log->agentName = agentName;
    return Call("Open");
}

bool FakeHttpSession::Connect(const std::string& server, std::uint16_t port) {
    log->server = server;
    log->port = port;
    return Call("Connect");
}

bool FakeHttpSession::OpenRequest(const std::string& verb, const std::string& object,
                                  const std::string& version) {
    log->verb = verb;
    log->object = object;
    log->version = version;
    return Call("OpenRequest");
}

bool FakeHttpSession::AddRequestHeaders(std::string_view headerBlock) {
    log->headerBlock = headerBlock;
    return Call("AddRequestHeaders");
}

bool FakeHttpSession::SendRequest(std::uint32_t bodyLength) {
    log->bodyLength = bodyLength;
    return Call("SendRequest");
}

bool FakeHttpSession::Write(const char* data, std::size_t length) {
    if (!Call("Write")) {
        return false;
    }
    timeline.Add({Kind::Write, static_cast<int>(length)});
    log->writeSizes.push_back(length);
    log->body.append(data, length);
    return true;
}

// Not recorded among the calls: it reads only what already came, and the call sequences stay those of
// the request itself.
std::string FakeHttpSession::ReadEarlyAnswer() {
    return log->earlyAnswer;
}

std::string FakeHttpSession::ReadAnswer() {
    Call("ReadAnswer");
    return log->answer;
}

void FakeHttpSession::Close() {
    Call("Close");
}

UploadServices FakeUploadServices(Timeline& timeline, std::shared_ptr<SessionLog> sessionLog,
                                  SessionFault fault, ScriptedRouter router) {
    UploadServices devices;
    devices.openSession = [&timeline, sessionLog, fault]() -> std::unique_ptr<platform::HttpSession> {
        return std::make_unique<FakeHttpSession>(timeline, sessionLog, fault);
    };
    auto clock = std::make_shared<std::atomic<std::int64_t>>(0);
    devices.nowMs = [clock] { return clock->load(); };
    devices.sleep = [&timeline, clock](int ms) {
        timeline.Add({Kind::Sleep, ms});
        *clock += ms;
    };
    auto probes = std::make_shared<std::atomic<int>>(0);
    devices.probe = [&timeline, probes, clock, router](const std::string&) {
        const ProbeOutcome outcome = router(++*probes, clock->load());
        timeline.Add({Kind::Probe, outcome == ProbeOutcome::Answered ? 1
                                   : outcome == ProbeOutcome::Silent ? 0
                                                                     : -1});
        *clock += outcome == ProbeOutcome::Answered ? kFakeAnswerMs
                  : outcome == ProbeOutcome::Silent ? kFakeSilenceMs
                                                    : 0;
        return outcome;
    };
    return devices;
}

QByteArray SyntheticImage(int size) {
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i) {
        image[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return image;
}

}  // namespace fwu::test
