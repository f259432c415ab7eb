// What the simulated router received, read back from its log (JSON lines): the status requests, each
// upload with the differences it found in the request, the image bytes it took and whether it restarted.
// Used to tell the person running the walk-through what the router saw.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace fwu::walk {

struct SimUpload {
    bool accepted = false;
    qint64 announced = 0;   // Content-Length of the request
    qint64 received = 0;    // body bytes that arrived
    qint64 imageSize = -1;  // image bytes found in the body; -1 when none could be cut out
    QString imageSha256;
    QString imageVersion;
    QString savedPath;
    QStringList differences;  // "kind: detail", one per difference
};

struct SimLogSummary {
    int events = 0;
    int statusRequests = 0;
    QStringList statusDifferences;  // of all status requests
    QStringList statusAnswers;      // "200", "401", one per request
    QList<SimUpload> uploads;
    QStringList otherUploadEvents;  // refused or aborted uploads: "event: reason"
    bool restarted = false;
    bool back = false;
    QString backVersion;
};

// Reads the log's complete lines; a line that is not a JSON object is skipped.
SimLogSummary SummariseSimLog(const QByteArray& log);

// The summary as lines for a person.
QStringList DescribeSimLog(const SimLogSummary& summary);

}  // namespace fwu::walk
