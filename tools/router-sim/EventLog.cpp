#include "tools/router-sim/EventLog.h"

#include <QJsonDocument>

namespace fwu::sim {

EventLog::EventLog() : start_(std::chrono::steady_clock::now()) {}

EventLog::~EventLog() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool EventLog::Open(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    file_ = std::fopen(path.c_str(), "w");
    return file_ != nullptr;
}

void EventLog::Write(std::string_view name, QJsonObject fields) {
    if (file_ == nullptr) {
        return;
    }
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
            .count();
    fields.insert("event", Bytes(name));
    fields.insert("t_ms", static_cast<qint64>(ms));
    const QByteArray line = QJsonDocument(fields).toJson(QJsonDocument::Compact);
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

QString Bytes(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QJsonArray ToJson(const std::vector<Difference>& differences) {
    QJsonArray list;
    for (const Difference& d : differences) {
        QJsonObject o{{"kind", Bytes(d.kind)}, {"detail", Bytes(d.detail)}};
        if (!d.expected.empty()) {
            o.insert("expected", Bytes(d.expected));
        }
        if (!d.actual.empty()) {
            o.insert("actual", Bytes(d.actual));
        }
        if (d.offset >= 0) {
            o.insert("offset", static_cast<qint64>(d.offset));
        }
        if (d.index >= 0) {
            o.insert("index", d.index);
        }
        list.append(o);
    }
    return list;
}

}  // namespace fwu::sim
