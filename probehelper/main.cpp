// probe-helper: the one part of the utility that may hold CAP_NET_RAW (given to this file at install as a
// permitted capability only), so the windowed program never carries a capability.
//
//   probe-helper ADDRESS IDENTIFIER
//
// ADDRESS is one dotted IPv4 address a router can hold (never 0.0.0.0/8, 127.0.0.0/8, 224.0.0.0/4 or
// 255.255.255.255); IDENTIFIER the echo identifier, decimal 0..65535 (the program passes the low 16 bits
// of its process id, so the request is the 8 bytes it sends through its own sockets). The helper makes
// CAP_NET_RAW effective for the one socket() call alone, opens one raw ICMP socket and connects it to
// ADDRESS (so the kernel passes it datagrams from that host only), then drops every capability and sets
// no-new-privileges; it reads nothing from the environment (which it clears).
//
// Protocol: each byte read on standard input asks for one probe. The helper sends one echo request to
// ADDRESS (at most 4 a second: a faster request waits) and writes one byte on standard output: 'A' when
// the echo reply from ADDRESS with that identifier and sequence came within 1,000 ms, 'S' when none came,
// 'B' when the system refused to send it (a broadcast address of one of its networks) and 'U' when it has
// no route to ADDRESS; nothing is sent in the last two. Every other datagram is passed over. The helper
// ends when its input closes (exit 0). Exit 2: wrong arguments or an address that is refused; 3: no raw
// ICMP socket; 4: the capabilities could not be dropped. Nothing is sent in those cases.
#include <arpa/inet.h>
#include <linux/capability.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "probehelper/EchoRules.h"

namespace {

constexpr int kWaitMs = 1000;
constexpr long kLeastGapMs = 250;
constexpr int kIcmpFilter = 1;  // ICMP_FILTER of <linux/icmp.h>, which clashes with the C library's headers

long NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000L + now.tv_nsec / 1'000'000L;
}

void SleepMs(long ms) {
    timespec pause{ms / 1000, (ms % 1000) * 1'000'000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

// Opens the raw ICMP socket with CAP_NET_RAW raised from the permitted set to the effective one for this
// call alone (DropCapabilities clears it right after). Root needs no raising; without the capability the
// raise fails and so does the socket.
int OpenRawSocket() {
    __user_cap_header_struct header{};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    constexpr std::uint32_t kNetRaw = 1u << CAP_NET_RAW;
    if (syscall(SYS_capget, &header, data) == 0 && (data[0].permitted & kNetRaw) != 0 &&
        (data[0].effective & kNetRaw) == 0) {
        data[0].effective |= kNetRaw;
        syscall(SYS_capset, &header, data);
    }
    return ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
}

bool DropCapabilities() {
    __user_cap_header_struct header{};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capset, &header, data) != 0) {
        return false;
    }
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
}

// Empties the queue, so a reply that came late to an earlier request is not taken for this one's, and
// clears an error an earlier request left (a late "host unreachable"), so it is not told for this one.
void Drain(int socket) {
    unsigned char scrap[1024];
    while (recv(socket, scrap, sizeof scrap, MSG_DONTWAIT) >= 0) {
    }
    int pending = 0;
    socklen_t length = sizeof pending;
    getsockopt(socket, SOL_SOCKET, SO_ERROR, &pending, &length);
}

// One probe over the connected socket: the answer byte for the program.
char Probe(int socket, const fwu::echo::Address& to, const fwu::echo::Request& request) {
    Drain(socket);
    if (send(socket, request.data(), request.size(), MSG_NOSIGNAL) < 0) {
        // A refusal the program can name is told as such; after any other a reply may still come.
        if (const char refused = fwu::echo::SendFailureAnswer(errno); refused != 0) {
            return refused;
        }
    }
    const long end = NowMs() + kWaitMs;
    for (long left = kWaitMs; left > 0; left = end - NowMs()) {
        pollfd ready{socket, POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(left));
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return fwu::echo::kSilent;
        }
        unsigned char datagram[1024];
        sockaddr_in sender{};
        socklen_t senderLength = sizeof sender;
        const ssize_t n = recvfrom(socket, datagram, sizeof datagram, MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (n < 0) {
            continue;
        }
        fwu::echo::Address from{};
        if (senderLength >= sizeof sender && sender.sin_family == AF_INET) {
            std::memcpy(from.data(), &sender.sin_addr, from.size());
        }
        if (fwu::echo::IsReply(datagram, static_cast<std::size_t>(n), true, from, to, request)) {
            return fwu::echo::kAnswered;
        }
    }
    return fwu::echo::kSilent;
}

}  // namespace

extern char** environ;

int main(int argc, char** argv) {
    environ = nullptr;  // nothing below reads it; no child is ever started
    std::signal(SIGPIPE, SIG_IGN);
    fwu::echo::Address to{};
    std::uint16_t identifier = 0;
    if (argc != 3 || inet_pton(AF_INET, argv[1], to.data()) != 1 || !fwu::echo::CanBeRouterAddress(to) ||
        !fwu::echo::ParseIdentifier(argv[2], identifier)) {
        return 2;
    }
    const int socket = OpenRawSocket();
    if (socket < 0) {
        DropCapabilities();
        return 3;
    }
    if (!DropCapabilities()) {
        return 4;
    }
    // Connected, the socket takes datagrams from the probed host alone. The system refuses the connection
    // to a broadcast address, or to one it has no route to: each probe then answers that without sending.
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    std::memcpy(&destination.sin_addr, to.data(), to.size());
    char refused = 0;
    if (connect(socket, reinterpret_cast<const sockaddr*>(&destination), sizeof destination) != 0) {
        refused = fwu::echo::SendFailureAnswer(errno);
        if (refused == 0) {
            return 3;
        }
    }
    // Only echo replies (type 0) reach the socket; the rule above still checks each one.
    const std::uint32_t passOnlyEchoReply = ~std::uint32_t{1};
    setsockopt(socket, SOL_RAW, kIcmpFilter, &passOnlyEchoReply, sizeof passOnlyEchoReply);
    const fwu::echo::Request request = fwu::echo::BuildRequest(identifier);
    long lastSend = -kLeastGapMs;
    for (;;) {
        unsigned char asked = 0;
        const ssize_t got = read(STDIN_FILENO, &asked, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return 0;
        }
        const long gap = NowMs() - lastSend;
        if (gap < kLeastGapMs) {
            SleepMs(kLeastGapMs - gap);
        }
        lastSend = NowMs();
        const char answer = refused != 0 ? refused : Probe(socket, to, request);
        if (write(STDOUT_FILENO, &answer, 1) != 1) {
            return 0;
        }
    }
}
