// Test doubles of the upload worker's surroundings that write into one time line: a window that records
// what the worker does to it, a sleeper and a prober, and a scripted HTTP session. Safe to use from the
// worker thread while the test thread reads.
#pragma once

#include <QByteArray>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/HttpSession.h"
#include "transfer/UploadWindow.h"
#include "transfer/UploadWorker.h"

namespace fwu::test {

enum class Kind { Percent, Status, Progress, Done, Sleep, Probe, Write };

struct Event {
    Kind kind;
    int value = 0;  // percent, string id, result, milliseconds, bytes written; Probe: 1 answered, 0 silent,
                    // -1 not sent
    bool operator==(const Event&) const = default;
};

// HTTP session calls as the worker made them.
struct SessionLog {
    std::vector<std::string> calls;  // "Open", "Connect", ..., "Close"
    std::string agentName, server, verb, object, version, headerBlock;
    unsigned port = 0;
    std::uint32_t bodyLength = 0;
    std::vector<std::size_t> writeSizes;
    std::string body;         // every byte written
    std::string answer;       // set by the test: what ReadAnswer gives once the body is complete
    std::string earlyAnswer;  // set by the test: what ReadEarlyAnswer gives after a failed write
};

class Timeline final : public UploadWindow {
public:
    void ResetPercent(std::uint64_t bodyBytes) override {
        Add({Kind::Percent, 0});
        std::lock_guard lock(mutex);
        bytes.push_back(bodyBytes);
    }
    void PostStatusText(int stringId) override { Add({Kind::Status, stringId}); }
    // The percent a post carries is recorded as its own entry just before it, as the worker tests read it.
    void PostUpgradeProgress(const UploadProgress& progress) override {
        Add({Kind::Percent, progress.percent});
        Add({Kind::Progress});
        std::lock_guard lock(mutex);
        bytes.push_back(progress.bodyBytes);
    }
    // The final post with its cause: recorded as Done with the result, the verdict kept beside it.
    void PostUpgradeVerdict(const UploadVerdict& verdict) override {
        {
            std::lock_guard lock(mutex);
            verdicts.push_back(verdict);
        }
        Add({Kind::Done, static_cast<int>(verdict.result)});
        done.notify_all();
    }
    std::vector<UploadVerdict> Verdicts() const {
        std::lock_guard lock(mutex);
        return verdicts;
    }

    void Add(Event event) {
        std::lock_guard lock(mutex);
        events.push_back(event);
    }
    std::vector<Event> Events() const {
        std::lock_guard lock(mutex);
        return events;
    }
    // The body bytes each progress post and the percent's start over carried, in order.
    std::vector<std::uint64_t> Bytes() const {
        std::lock_guard lock(mutex);
        return bytes;
    }
    // Waits up to `ms` for the final post; false when none came.
    bool WaitForDone(int ms);

private:
    mutable std::mutex mutex;
    std::condition_variable done;
    std::vector<Event> events;
    std::vector<std::uint64_t> bytes;
    std::vector<UploadVerdict> verdicts;
};

// The session call at which a scripted failure happens: the n-th call of that name fails (1-based).
struct SessionFault {
    std::string call;  // "" for none
    int occurrence = 1;
};

class FakeHttpSession final : public platform::HttpSession {
public:
    FakeHttpSession(Timeline& timeline, std::shared_ptr<SessionLog> log, SessionFault fault)
        : timeline(timeline), log(std::move(log)), fault(std::move(fault)) {}
    bool Open(const std::string& agentName) override;
    bool Connect(const std::string& server, std::uint16_t port) override;
    bool OpenRequest(const std::string& verb, const std::string& object, const std::string& version) override;
    bool AddRequestHeaders(std::string_view headerBlock) override;
    bool SendRequest(std::uint32_t bodyLength) override;
    bool Write(const char* data, std::size_t length) override;
    std::string ReadAnswer() override;
    std::string ReadEarlyAnswer() override;
    void Close() override;

private:
    bool Call(const std::string& name);  // logs the call; false when it is the scripted failure

    Timeline& timeline;
    std::shared_ptr<SessionLog> log;
    SessionFault fault;
};

// The router as the fake prober sees it: what the n-th probe (1-based), sent at `atMs` on the fake clock,
// finds.
using ScriptedRouter = std::function<ProbeOutcome(int probe, std::int64_t atMs)>;

// A router that answers every probe.
inline ProbeOutcome AlwaysAnswers(int, std::int64_t) {
    return ProbeOutcome::Answered;
}

// How long a probe takes on the fake clock: an answer comes at once, silence takes the whole wait.
inline constexpr int kFakeAnswerMs = 1;
inline constexpr int kFakeSilenceMs = 1'000;

// Worker devices that log into `timeline` and `sessionLog`, on a fake clock that only the pauses and the
// probes move. `router` says what each probe finds.
UploadServices FakeUploadServices(Timeline& timeline, std::shared_ptr<SessionLog> sessionLog,
                                  SessionFault fault = {}, ScriptedRouter router = AlwaysAnswers);

// An image of `size` bytes whose content varies along its length, so a misplaced piece shows.
QByteArray SyntheticImage(int size);

}  // namespace fwu::test
