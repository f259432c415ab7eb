// The real program started twice inside the lab, offscreen, with a private runtime folder: the second
// copy finds the first, asks it to show itself and ends at once with status 0, while the first keeps
// running. A copy with a runtime folder of its own (another user, as far as the rule goes) keeps running.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

namespace {

constexpr int kListenMs = 20'000;
constexpr int kSecondCopyMs = 15'000;
constexpr int kKeepsRunningMs = 3'000;
const QString kSocketName = "firmware-upgrade-utility.sock";

std::unique_ptr<QProcess> StartUtility(const QString& runtimeDir) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_RUNTIME_DIR", runtimeDir);
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(FWU_UTILITY, QStringList{});
    return process;
}

void Stop(QProcess& process) {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5'000);
    }
}

bool WaitForSocket(const QString& runtimeDir, const QProcess& process) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kListenMs && process.state() == QProcess::Running) {
        if (QFileInfo::exists(QDir(runtimeDir).filePath(kSocketName))) {
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

TEST(SingleInstanceLab, SecondCopyEndsAtOnceWhileTheFirstRuns) {
    QTemporaryDir runtime;  // made with mode 0700, as a runtime folder must be
    ASSERT_TRUE(runtime.isValid());
    std::unique_ptr<QProcess> first = StartUtility(runtime.path());
    ASSERT_TRUE(first->waitForStarted(5'000));
    ASSERT_TRUE(WaitForSocket(runtime.path(), *first))
        << "the first copy does not answer: " << first->readAll().toStdString();

    std::unique_ptr<QProcess> second = StartUtility(runtime.path());
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(second->waitForFinished(kSecondCopyMs)) << "the second copy kept running";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0) << second->readAll().toStdString();
    EXPECT_LT(clock.elapsed(), kSecondCopyMs);

    QThread::msleep(500);
    EXPECT_EQ(first->state(), QProcess::Running) << "the first copy ended when the second asked it to show";

    QTemporaryDir otherRuntime;
    ASSERT_TRUE(otherRuntime.isValid());
    std::unique_ptr<QProcess> other = StartUtility(otherRuntime.path());
    EXPECT_FALSE(other->waitForFinished(kKeepsRunningMs)) << other->readAll().toStdString();
    EXPECT_EQ(first->state(), QProcess::Running);

    Stop(*other);
    Stop(*first);
}

}  // namespace
