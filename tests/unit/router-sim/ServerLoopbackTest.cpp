// The simulated router's server on the loopback interface (port chosen by the system): the upload cycle,
// the log it writes, and the faults a client can only see on a real connection. Modes that fall silent
// are left to the lab tests; these use no-restart, which never touches the ping switch.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <chrono>
#include <future>
#include <thread>

#include "tests/unit/router-sim/WireRequest.h"
#include "tools/router-sim/Server.h"

namespace fwu::sim {
namespace {

class LoopbackRouter {
public:
    explicit LoopbackRouter(SimOptions options) {
        options.address = "127.0.0.1";
        options.port = 0;
        options.logPath = (dir_.path() + "/sim.jsonl").toStdString();
        options.saveDir = (dir_.path() + "/saved").toStdString();
        log_.Open(options.logPath);
        server_ = std::make_unique<Server>(options, log_);
        std::promise<int> port;
        auto ready = port.get_future();
        thread_ = std::thread([&, p = std::move(port)]() mutable {
            server_->Run(stop_, [&](int chosen) { p.set_value(chosen); });
        });
        port_ = ready.get();
    }
    ~LoopbackRouter() {
        stop_.store(true);
        thread_.join();
    }

    int Port() const { return port_; }
    QString SaveDir() const { return dir_.path() + "/saved"; }

    std::vector<QJsonObject> Events(const QString& name) const {
        std::vector<QJsonObject> found;
        QFile file(QString::fromStdString((dir_.path() + "/sim.jsonl").toStdString()));
        if (!file.open(QIODevice::ReadOnly)) {
            return found;
        }
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QJsonObject event = QJsonDocument::fromJson(line).object();
            if (event.value("event").toString() == name) {
                found.push_back(event);
            }
        }
        return found;
    }

    // The first event of that name, waiting for it up to two seconds.
    QJsonObject WaitFor(const QString& name) const {
        for (int i = 0; i < 200; ++i) {
            const auto events = Events(name);
            if (!events.empty()) {
                return events.front();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }

private:
    QTemporaryDir dir_;
    EventLog log_;
    std::unique_ptr<Server> server_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    int port_ = 0;
};

SimOptions Fast(Fault fault) {
    SimOptions options;
    options.fault = fault;
    options.flashMs = 50;
    options.ioTimeoutMs = 2000;
    return options;
}

// Everything the router sends until it closes the connection (or two seconds pass). `ended` tells
// whether the router closed or reset the connection (a time-out does not count).
QByteArray Exchange(int port, const std::string& request, bool* ended = nullptr) {
    QTcpSocket socket;
    QByteArray answer;
    socket.connectToHost("127.0.0.1", static_cast<quint16>(port));
    if (socket.waitForConnected(2000)) {
        socket.write(request.data(), static_cast<qint64>(request.size()));
        socket.waitForBytesWritten(2000);
        while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(2000)) {
            answer += socket.readAll();
        }
        answer += socket.readAll();
    }
    if (ended != nullptr) {
        // A reset may already end the connect; whether the state has left "connected" depends on timing.
        const auto error = socket.error();
        *ended = error != QAbstractSocket::SocketTimeoutError &&
                 (socket.state() != QAbstractSocket::ConnectedState ||
                  error != QAbstractSocket::UnknownSocketError);
    }
    return answer;
}

TEST(RouterSimServer, ExactUploadIsAcceptedSavedAndFlashed) {
    LoopbackRouter router(Fast(Fault::NoRestart));
    std::string image = Image(40000);
    image[11] = 2, image[12] = 0, image[13] = 22;
    WireRequest request = WireRequest::Good(image, "rodel", "127.0.0.1");
    const QByteArray answer = Exchange(router.Port(), request.Wire());
    EXPECT_TRUE(answer.startsWith("HTTP/1.0 200 Ok\r\n"));

    const QJsonObject upload = router.WaitFor("upload");
    EXPECT_TRUE(upload.value("accepted").toBool());
    EXPECT_TRUE(upload.value("differences").toArray().isEmpty());
    EXPECT_EQ(upload.value("image_size").toInt(), 40000);
    EXPECT_EQ(upload.value("image_version").toString(), "v2.00.22");
    EXPECT_EQ(upload.value("headers").toArray().size(), 11);
    QFile saved(upload.value("saved").toString());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), image);
    // The whole request is kept as it came, and the time its body took is told when it is complete.
    QFile savedRequest(upload.value("saved_request").toString());
    ASSERT_TRUE(savedRequest.open(QIODevice::ReadOnly));
    EXPECT_TRUE(savedRequest.readAll().toStdString() == request.Wire());
    const QJsonObject received = router.WaitFor("upload-received");
    EXPECT_EQ(received.value("received").toInteger(), upload.value("announced").toInteger());
    EXPECT_GE(received.value("body_ms").toDouble(-1), 0);
    EXPECT_EQ(upload.value("body_ms").toDouble(-2), received.value("body_ms").toDouble(-3));
    EXPECT_FALSE(router.WaitFor("flash-start").isEmpty());
    EXPECT_FALSE(router.WaitFor("flash-done").isEmpty());  // no-restart: never falls silent
    EXPECT_TRUE(router.Events("restart").empty());
}

TEST(RouterSimServer, ExtraLineFeedAfterTheBodyIsLoggedAndRefused) {
    LoopbackRouter router(Fast(Fault::NoRestart));
    WireRequest request = WireRequest::Good(Image(3000), "rodel", "127.0.0.1");
    request.extra = "\n";
    const QByteArray answer = Exchange(router.Port(), request.Wire());
    EXPECT_TRUE(answer.startsWith("HTTP/1.0 400 ")) << answer.left(40).toStdString();
    const QJsonObject upload = router.WaitFor("upload");
    EXPECT_FALSE(upload.value("accepted").toBool());
    EXPECT_EQ(upload.value("extra").toInt(), 1);
    EXPECT_TRUE(router.Events("flash-start").empty());
}

TEST(RouterSimServer, BodyAboveTheLimitIsRefusedBeforeItIsRead) {
    LoopbackRouter router(Fast(Fault::NoRestart));
    WireRequest request = WireRequest::Good(Image(10), "rodel", "127.0.0.1");
    request.headers[7] = "Content-Length: " + std::to_string(kMaxUploadBody + 1);
    const QByteArray answer = Exchange(router.Port(), request.Head());
    EXPECT_TRUE(answer.startsWith("HTTP/1.0 413 "));
    EXPECT_EQ(router.WaitFor("upload-refused").value("reason").toString(), "too-large");
}

TEST(RouterSimServer, ResetUploadCutsTheBodyHalfway) {
    LoopbackRouter router(Fast(Fault::ResetUpload));
    WireRequest request = WireRequest::Good(Image(200000), "rodel", "127.0.0.1");
    Exchange(router.Port(), request.Wire());
    const QJsonObject aborted = router.WaitFor("upload-aborted");
    EXPECT_EQ(aborted.value("reason").toString(), "reset-upload");
    EXPECT_LT(aborted.value("received").toInt(), static_cast<int>(request.body.size()));
    EXPECT_TRUE(router.Events("upload").empty());
}

TEST(RouterSimServer, NeverCloseKeepsTheConnectionAfterThePage) {
    LoopbackRouter router(Fast(Fault::NeverClose));
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", static_cast<quint16>(router.Port()));
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write("GET /SysInfo.htm HTTP/1.1\r\nAuthorization: Basic OnJvZGVs\r\n\r\n");
    QByteArray page;
    while (!page.contains("</html>") && socket.waitForReadyRead(2000)) {
        page += socket.readAll();
    }
    EXPECT_TRUE(page.contains("Firmware Version:v2.00.20,"));
    EXPECT_FALSE(socket.waitForDisconnected(500));
    EXPECT_EQ(socket.state(), QAbstractSocket::ConnectedState);
}

TEST(RouterSimServer, ResetFaultResetsEveryConnection) {
    LoopbackRouter router(Fast(Fault::Reset));
    bool ended = false;
    const QByteArray answer =
        Exchange(router.Port(), "GET /SysInfo.htm HTTP/1.1\r\nAuthorization: Basic OnJvZGVs\r\n\r\n", &ended);
    EXPECT_TRUE(answer.isEmpty());
    EXPECT_TRUE(ended);
    EXPECT_TRUE(router.WaitFor("connection").value("reset").toBool());
}

TEST(RouterSimServer, IdleConnectionIsClosedAfterTheReadTimeOut) {
    SimOptions options = Fast(Fault::NoRestart);
    options.ioTimeoutMs = 300;
    LoopbackRouter router(options);
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", static_cast<quint16>(router.Port()));
    ASSERT_TRUE(socket.waitForConnected(2000));
    EXPECT_TRUE(socket.waitForDisconnected(3000));
    EXPECT_EQ(router.WaitFor("timeout").value("received").toInt(), 0);
}

}  // namespace
}  // namespace fwu::sim
