// Whole reads and writes over pipes and socket pairs while signals keep cutting the calls short: every
// byte arrives once and in order, a bound is kept, and a peer that is gone or stuck is a failure, not a hang.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/FileDescriptor.h"

namespace fwu::platform {
namespace {

// Interrupts the constructing thread with SIGUSR1 every 50 us (a handler without SA_RESTART, so blocking
// reads and writes return early: EINTR or a short count) and ignores SIGPIPE, until destroyed.
class SignalStorm {
public:
    SignalStorm() : target_(pthread_self()) {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        sigaction(SIGUSR1, &action, &previousUser_);
        action.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &action, &previousPipe_);
        sender_ = std::thread([this] {
            while (!done_.load()) {
                pthread_kill(target_, SIGUSR1);
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
        });
    }
    ~SignalStorm() {
        done_ = true;
        sender_.join();
        sigaction(SIGUSR1, &previousUser_, nullptr);
        sigaction(SIGPIPE, &previousPipe_, nullptr);
    }

private:
    pthread_t target_;
    struct sigaction previousUser_ {};
    struct sigaction previousPipe_ {};
    std::atomic<bool> done_{false};
    std::thread sender_;
};

Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 % 251);
    }
    return bytes;
}

TEST(FileDescriptor, ReadsToTheEndOrTheBound) {
    struct Case {
        const char* name;
        std::size_t sent;
        std::size_t bound;
        WholeReadStatus status;
    };
    for (const Case& c : {Case{"the end before the bound", 1000, 4096, WholeReadStatus::Complete},
                          Case{"exactly the bound", 4096, 4096, WholeReadStatus::Complete},
                          Case{"one byte past the bound", 4097, 4096, WholeReadStatus::TooLarge},
                          Case{"nothing before the end", 0, 4096, WholeReadStatus::Complete},
                          Case{"a megabyte in short pieces", 1 << 20, 1 << 21, WholeReadStatus::Complete}}) {
        const Bytes sent = Pattern(c.sent);
        for (const bool whole : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (whole ? ", to the end" : ", up to the bound"));
            Pipe pipe = OpenPipe();
            ASSERT_TRUE(pipe.read.Valid());
            std::thread writer([&] {
                for (std::size_t at = 0; at < sent.size(); at += 1000) {
                    WriteAll(pipe.write.Get(), sent.data() + at,
                             std::min<std::size_t>(1000, sent.size() - at));
                    if (at % 16'000 == 0) {
                        std::this_thread::sleep_for(std::chrono::microseconds(500));  // the reader waits
                    }
                }
                pipe.write.Reset();
            });
            const SignalStorm storm;
            Bytes got(c.bound);
            if (whole) {
                const WholeRead read = ReadToEnd(pipe.read.Get(), c.bound);
                EXPECT_EQ(read.status, c.status);
                got = read.data;
            } else {
                const ssize_t n = ReadUpTo(pipe.read.Get(), got.data(), got.size());
                got.resize(static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
            }
            pipe.read.Reset();
            writer.join();
            if (!whole || c.status == WholeReadStatus::Complete) {
                EXPECT_EQ(got, Bytes(sent.begin(), sent.begin() + std::min(c.sent, c.bound)));
            }
        }
    }
    Bytes none(1);
    EXPECT_EQ(ReadToEnd(-1, 10).status, WholeReadStatus::Failed);
    EXPECT_EQ(ReadUpTo(-1, none.data(), none.size()), -1);
}

TEST(FileDescriptor, WritesAllOrFails) {
    enum class Peer { ReadsAll, Gone, NeverReads };
    struct Case {
        const char* name;
        std::size_t size;
        Peer peer;
        bool written;
    };
    for (const Case& c : {Case{"a megabyte through a small buffer", 1 << 20, Peer::ReadsAll, true},
                          Case{"to a reader that is gone", 1 << 16, Peer::Gone, false},
                          Case{"to a full non-blocking socket", 1 << 20, Peer::NeverReads, false}}) {
        SCOPED_TRACE(c.name);
        int ends[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        FileDescriptor writer(ends[0]);
        FileDescriptor reader(ends[1]);
        const int small = 4096;
        setsockopt(writer.Get(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
        if (c.peer == Peer::Gone) {
            reader.Reset();
        } else if (c.peer == Peer::NeverReads) {
            fcntl(writer.Get(), F_SETFL, O_NONBLOCK);
        }
        Bytes received;
        std::thread drain([&] {
            unsigned char piece[777];
            ssize_t n = 0;
            while (c.peer == Peer::ReadsAll && (n = ReadSome(reader.Get(), piece, sizeof piece)) > 0) {
                received.insert(received.end(), piece, piece + n);
            }
        });
        const Bytes sent = Pattern(c.size);
        {
            const SignalStorm storm;
            EXPECT_EQ(WriteAll(writer.Get(), sent.data(), sent.size()), c.written);
        }
        writer.Reset();
        drain.join();
        EXPECT_EQ(received, c.peer == Peer::ReadsAll ? sent : Bytes());
    }
}

TEST(FileDescriptor, ClosesOnceByItsLastOwner) {
    const auto open = [](int fd) { return fcntl(fd, F_GETFD) != -1; };
    Pipe pipe = OpenPipe();
    const int readEnd = pipe.read.Get();
    const int writeEnd = pipe.write.Get();
    {
        FileDescriptor owner(std::move(pipe.read));
        owner = std::move(pipe.write);  // the read end closes, the write end moves in
        EXPECT_FALSE(open(readEnd));
        EXPECT_EQ(owner.Release(), writeEnd);
    }
    EXPECT_TRUE(open(writeEnd));  // released, not closed, by the owner and by the moved-from pipe
    FileDescriptor again(writeEnd);
    EXPECT_TRUE(again.Close());
    EXPECT_FALSE(open(writeEnd));
    EXPECT_FALSE(again.Close());
}

}  // namespace
}  // namespace fwu::platform
