#include "tools/walkthrough/SimLogSummary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace fwu::walk {
namespace {

QStringList Differences(const QJsonValue& value) {
    QStringList out;
    for (const QJsonValue& entry : value.toArray()) {
        const QJsonObject difference = entry.toObject();
        out.append(difference.value("kind").toString() + ": " + difference.value("detail").toString());
    }
    return out;
}

QString Listed(const QStringList& items) {
    return items.isEmpty() ? QStringLiteral("none") : items.join("; ");
}

}  // namespace

SimLogSummary SummariseSimLog(const QByteArray& log) {
    SimLogSummary summary;
    const qsizetype complete = log.lastIndexOf('\n') + 1;  // a last line without its end is still open
    for (const QByteArray& line : log.left(complete).split('\n')) {
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (!doc.isObject()) {
            continue;
        }
        const QJsonObject event = doc.object();
        const QString name = event.value("event").toString();
        ++summary.events;
        if (name == "status-request") {
            ++summary.statusRequests;
            summary.statusDifferences += Differences(event.value("differences"));
            summary.statusAnswers.append(QString::number(event.value("answer").toInt()));
        } else if (name == "upload") {
            SimUpload upload;
            upload.accepted = event.value("accepted").toBool();
            upload.announced = event.value("announced").toInteger();
            upload.received = event.value("received").toInteger();
            upload.imageSize = event.value("image_size").toInteger(-1);
            upload.imageSha256 = event.value("image_sha256").toString();
            upload.imageVersion = event.value("image_version").toString();
            upload.savedPath = event.value("saved").toString();
            upload.differences = Differences(event.value("differences"));
            summary.uploads.append(upload);
        } else if (name == "upload-refused" || name == "upload-aborted") {
            summary.otherUploadEvents.append(name + ": " + event.value("reason").toString());
        } else if (name == "restart") {
            summary.restarted = true;
        } else if (name == "back") {
            summary.back = true;
            summary.backVersion = event.value("version").toString();
        }
    }
    return summary;
}

QStringList DescribeSimLog(const SimLogSummary& summary) {
    QStringList lines;
    if (summary.events == 0) {
        lines.append("router-sim: no events logged");
        return lines;
    }
    lines.append(QString("status requests: %1 (answered %2), request differences: %3")
                     .arg(summary.statusRequests)
                     .arg(summary.statusAnswers.isEmpty() ? "-" : summary.statusAnswers.join(", "))
                     .arg(Listed(summary.statusDifferences)));
    if (summary.uploads.isEmpty()) {
        lines.append("uploads: none");
    }
    for (qsizetype i = 0; i < summary.uploads.size(); ++i) {
        const SimUpload& u = summary.uploads.at(i);
        lines.append(QString("upload %1: %2, request differences: %3")
                         .arg(i + 1)
                         .arg(u.accepted ? "accepted" : "refused")
                         .arg(Listed(u.differences)));
        lines.append(QString("  body bytes received: %1 of %2 announced; image bytes received: %3")
                         .arg(u.received)
                         .arg(u.announced)
                         .arg(u.imageSize < 0 ? QString("none") : QString::number(u.imageSize)));
        if (u.imageSize >= 0) {
            lines.append(QString("  image version %1, SHA-256 %2%3")
                             .arg(u.imageVersion.isEmpty() ? "(none in header)" : u.imageVersion,
                                  u.imageSha256,
                                  u.savedPath.isEmpty() ? QString() : ", saved as " + u.savedPath));
        }
    }
    for (const QString& other : summary.otherUploadEvents) {
        lines.append(other);
    }
    QString restart = summary.restarted ? QStringLiteral("restart: yes") : QStringLiteral("restart: no");
    if (summary.back) {
        restart += ", back with firmware " + summary.backVersion;
    } else if (summary.restarted) {
        restart += ", not back yet";
    }
    lines.append(restart);
    return lines;
}

}  // namespace fwu::walk
