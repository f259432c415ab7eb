// The simulated router's upload cycle as the upload worker sees it: an exact upload is taken, the router
// keeps answering while it writes flash, then falls silent (no pings, port closed), then comes back with
// the version of the image it received.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QTcpSocket>

#include "router/Probe.h"
#include "router/RouterCheck.h"
#include "tests/unit/router-sim/WireRequest.h"
#include "tools/labsupport/RouterSim.h"

namespace fwu {
namespace {

QByteArray Send(const std::string& bytes, QAbstractSocket::SocketError* error = nullptr) {
    QTcpSocket socket;
    socket.connectToHost("192.168.1.1", 80);
    if (!socket.waitForConnected(2000)) {
        if (error != nullptr) {
            *error = socket.error();
        }
        return {};
    }
    socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket.waitForBytesWritten(5000);
    QByteArray answer;
    while (socket.waitForReadyRead(3000)) {
        answer += socket.readAll();
    }
    return answer;
}

std::string RouterVersion() {
    const RouterCheckResult result = CheckRouter(RouterAddress::Split("192.168.1.1"), "OnJvZGVs");  // ":rodel"
    return result.passed ? result.version.value_or("") : "(check failed)";
}

TEST(RouterSimCycleLab, ExactUploadThenFlashThenSilenceThenNewVersion) {
    lab::RouterSim sim({"--flash-ms", "1500", "--restart-ms", "2500"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    std::string image = sim::Image(100000);
    image[11] = 2, image[12] = 0, image[13] = 22;
    const sim::WireRequest request = sim::WireRequest::Good(image);
    EXPECT_TRUE(Send(request.Wire()).startsWith("HTTP/1.0 200 Ok"));

    const auto upload = sim.WaitForEvent("upload", 3000);
    ASSERT_TRUE(upload);
    EXPECT_TRUE(upload->value("accepted").toBool()) << upload->value("differences").toArray().size();
    ASSERT_TRUE(sim.WaitForEvent("flash-start", 1000));
    EXPECT_TRUE(PingHost("192.168.1.1"));    // still answering while it writes flash
    EXPECT_EQ(RouterVersion(), "v2.00.20");  // and still serving the old version

    ASSERT_TRUE(sim.WaitForEvent("restart", 3000));
    EXPECT_FALSE(PingHost("192.168.1.1"));
    QAbstractSocket::SocketError error = QAbstractSocket::UnknownSocketError;
    EXPECT_TRUE(Send("GET / HTTP/1.0\r\n\r\n", &error).isEmpty());
    EXPECT_EQ(error, QAbstractSocket::ConnectionRefusedError);

    const auto back = sim.WaitForEvent("back", 4000);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->value("version").toString(), "v2.00.22");
    EXPECT_TRUE(PingHost("192.168.1.1"));
    EXPECT_EQ(RouterVersion(), "v2.00.22");
    EXPECT_TRUE(sim.Stop());
}

TEST(RouterSimCycleLab, StoppedWhileSilentItAnswersPingsAgain) {
    {
        lab::RouterSim sim({"--start-silent", "--restart-ms", "60000"});
        ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
        EXPECT_FALSE(PingHost("192.168.1.1"));
        EXPECT_TRUE(sim.Stop());
    }
    EXPECT_TRUE(PingHost("192.168.1.1"));
}

TEST(RouterSimCycleLab, NoRestartNeverFallsSilent) {
    lab::RouterSim sim({"--fault", "no-restart", "--flash-ms", "200"});
    ASSERT_TRUE(sim.Started()) << sim.Error().toStdString();
    const sim::WireRequest request = sim::WireRequest::Good(sim::Image(5000));
    Send(request.Wire());
    ASSERT_TRUE(sim.WaitForEvent("flash-done", 3000));
    EXPECT_TRUE(PingHost("192.168.1.1"));
    EXPECT_TRUE(sim.Events("restart").isEmpty());
}

}  // namespace
}  // namespace fwu
