// The simulated router's machine-readable log: one JSON object per line, one line per event, flushed at
// once so that a test can read it while the router runs. Bytes from the wire are stored as Latin-1 text
// (one character per byte), so a reader gets them back exactly with QString::toLatin1.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tools/router-sim/RequestCheck.h"

namespace fwu::sim {

class EventLog {
public:
    EventLog();
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Starts a new log at `path` (an empty path logs nothing). False when the file cannot be written.
    bool Open(const std::string& path);

    // Writes {"event": name, "t_ms": <ms since start>, ...fields}.
    void Write(std::string_view name, QJsonObject fields = {});

private:
    std::FILE* file_ = nullptr;
    std::chrono::steady_clock::time_point start_;
};

QString Bytes(std::string_view bytes);
QJsonArray ToJson(const std::vector<Difference>& differences);

}  // namespace fwu::sim
