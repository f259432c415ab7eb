// The simulated router's web server and its life cycle: it serves the status page and takes uploads on
// many connections at once (one thread, poll), then writes flash, falls silent and comes back with the
// version of the image it received.
#pragma once

#include <QJsonObject>
#include <atomic>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <list>
#include <optional>
#include <string>
#include <string_view>

#include "tools/router-sim/EventLog.h"
#include "tools/router-sim/RequestHead.h"
#include "tools/router-sim/Responses.h"
#include "tools/router-sim/SimOptions.h"

namespace fwu::sim {

class Server {
public:
    Server(SimOptions options, EventLog& log);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Runs until `stop` becomes true; `ready` is called once the server is set up (listening, or silent,
    // or deliberately not listening) with the port it listens on (0 when it does not listen). Port 0 in the
    // options lets the system choose one. Returns the process exit code.
    int Run(const std::atomic<bool>& stop, const std::function<void(int port)>& ready);

private:
    using Clock = std::chrono::steady_clock;
    enum class Phase { Running, Flashing, Silent };
    enum class Stage { Head, Body, Drain, Answering, Holding, Closed };

    struct Connection {
        int fd = -1;
        std::string peer;
        std::string local;  // the address the client reached, without port
        Stage stage = Stage::Head;
        Clock::time_point deadline;
        std::string in;  // bytes of the head as they arrive
        std::string rawHead;
        RequestHead head;
        std::uint64_t announced = 0;
        Clock::time_point bodyStart;  // when the upload's head had come
        Clock::time_point bodyEnd;    // when its body's last byte came
        std::string body;
        std::string extra;
        Answer answer;
        std::size_t sendIndex = 0;
        std::size_t sendOffset = 0;
        Clock::time_point sendAt;
        bool waitWritable = false;
    };

    bool OpenListener();
    void CloseListener();
    void Accept();
    void OnReadable(Connection& c);
    void OnHead(Connection& c);
    void OnBodyBytes(Connection& c, std::string_view bytes);
    void FinishUpload(Connection& c);
    static double BodyMs(const Connection& c);
    void Save(QJsonObject& event, const char* field, const std::string& prefix,
              std::initializer_list<std::string_view> parts);
    void StartAnswer(Connection& c, Answer answer);
    void SendDue(Connection& c, Clock::time_point now);
    void Close(Connection& c);
    void Reset(Connection& c);
    void Expire(Connection& c, Clock::time_point now);

    void StartFlash(std::optional<std::string> newVersion);
    void AdvancePhase(Clock::time_point now);
    void GoSilent(int silentMs);
    void ComeBack();
    int PollTimeoutMs(Clock::time_point now) const;

    // Upload-side faults: answer without flash or restart, and the one time pings go unanswered.
    void AnswerWithoutRestart(Connection& c);
    void AnswerPingsAgainWhenDue(Clock::time_point now);

    SimOptions options_;
    EventLog& log_;
    std::string version_;
    std::optional<std::string> pendingVersion_;
    Phase phase_ = Phase::Running;
    Clock::time_point phaseEnd_;
    int listenFd_ = -1;
    std::optional<Clock::time_point> reopenAt_;
    std::list<Connection> connections_;
    int uploads_ = 0;
    std::optional<Clock::time_point> pingsBackAt_;  // while pings go unanswered under --miss-pings-ms
    bool pingsMissed_ = false;                      // they did once; never again
};

}  // namespace fwu::sim
