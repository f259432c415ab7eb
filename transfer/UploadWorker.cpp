#include "transfer/UploadWorker.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

#include "platform/HttpClient.h"
#include "platform/Sleep.h"
#include "res/StringTable.h"
#include "router/Probe.h"
#include "transfer/UploadAnswer.h"
#include "transfer/UploadRequest.h"
#include "transfer/UploadSchedule.h"

namespace fwu {
namespace {

UploadVerdict Failed(UploadOutcome outcome, int percent = 0, std::string statusLine = {}) {
    UploadVerdict verdict;
    verdict.outcome = outcome;
    verdict.percent = percent;
    verdict.statusLine = std::move(statusLine);
    return verdict;
}

std::int64_t SteadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t NowMs(const UploadServices& devices) {
    return devices.nowMs ? devices.nowMs() : SteadyNowMs();
}

// What the transfer left behind.
struct Transfer {
    bool complete = false;  // the whole body went out and the router did not refuse it
    UploadVerdict failure = Failed(UploadOutcome::NotConnected);  // why not, when not complete
    std::uint32_t offset = 0;  // image bytes sent in full pieces; sets the length of the flash wait
};

// Sends the request with the image in paced pieces, then reads the start of the router's answer.
// `offset` ends as the number of image bytes sent in full pieces (the final, shorter piece not counted).
Transfer TransferImage(const UploadJob& job, const Bytes& imageData, const UploadServices& devices) {
    Transfer transfer;
    std::unique_ptr<platform::HttpSession> session = devices.openSession ? devices.openSession() : nullptr;
    if (!session) {
        return transfer;
    }
    // Request and connection are closed on every way out, before the image copy is released.
    struct CloseOnExit {
        platform::HttpSession& session;
        ~CloseOnExit() { session.Close(); }
    } closer{*session};
    if (!session->Open(kUploadAgentName)) {
        return transfer;
    }
    // The request announces its body's length: one built for another image would send a body that ends
    // early or runs on, so it is refused before anything goes out.
    const UploadHttpRequest& request = job.request;
    const std::uint64_t bodyLength =
        request.bodyHead.size() + static_cast<std::uint64_t>(imageData.size()) + request.bodyTail.size();
    if (bodyLength != request.bodyLength) {
        return transfer;
    }
    const auto imageSize = static_cast<std::uint32_t>(imageData.size());  // within the 32-bit body length
    const char* image = reinterpret_cast<const char*>(imageData.data());
    // The causes name the percent the router had taken, not the one the bar already shows.
    std::uint32_t& offset = transfer.offset;
    std::uint32_t taken = 0;  // image bytes written, the final shorter piece included
    const auto reached = [&taken, &job] { return ReachedPercent(taken, job.percentStep); };
    // A stop ends the transfer here; the connection closes on the way out, mid-body, so the router
    // discards what it has of the image.
    const auto stopRequested = [&job] { return job.control != nullptr && job.control->stop.load(); };
    const auto stopped = [&transfer, &reached] {
        transfer.failure = Failed(UploadOutcome::Stopped, reached());
        return transfer;
    };
    if (stopRequested()) {
        return stopped();
    }
    if (job.control != nullptr) {
        session->WatchStop(&job.control->stop);  // a write held up by the router ends on a stop too
    }
    // A request without its header fields would reach the handler without credential or form boundary,
    // so a refused header block ends the transfer like any other failure.
    if (!session->Connect(job.routerAddress, job.routerPort) ||
        !session->OpenRequest(request.method, request.object, request.version) ||
        !session->AddRequestHeaders(request.headerBlock) || !session->SendRequest(request.bodyLength)) {
        return transfer;
    }

    const auto lost = [&transfer, &session, &reached, &stopRequested, &stopped] {
        if (stopRequested()) {
            return stopped();  // the write gave up because of the stop
        }
        // A router that refuses the credential answers 401 to the head and closes: the write failed
        // because of the refusal, not a lost connection.
        const std::optional<StatusLine> early = ParseStatusLine(session->ReadEarlyAnswer());
        if (early && early->code == 401) {
            transfer.failure = Failed(UploadOutcome::PasswordRefused, reached(), early->text);
            return transfer;
        }
        transfer.failure = Failed(UploadOutcome::LostInTransfer, reached());
        return transfer;
    };
    // A router that reads slowly keeps every piece within its own limit; the body as a whole has one.
    const std::int64_t deadline = NowMs(devices) + TransferDeadlineMs(imageSize);
    const auto tooSlow = [&] {
        if (NowMs(devices) < deadline) {
            return false;
        }
        transfer.failure = Failed(UploadOutcome::TooSlow, reached());
        return true;
    };
    if (!session->Write(request.bodyHead.data(), request.bodyHead.size())) {
        return lost();
    }
    std::uint32_t posted = 0;
    while (std::uint64_t{offset} + kUploadPieceSize < imageSize) {
        devices.sleep(kPiecePauseMs);
        if (stopRequested()) {
            return stopped();
        }
        if (tooSlow()) {
            return transfer;
        }
        if (!session->Write(image + offset, kUploadPieceSize)) {
            return lost();
        }
        offset += kUploadPieceSize;
        taken = offset;
        // A piece can cross several percent steps on a small image: one post for each.
        while (posted <= offset / job.percentStep) {
            ++posted;
            job.window->PostUpgradeProgress({ShownPercent(posted), request.bodyHead.size() + offset});
        }
    }
    if (offset != imageSize) {
        devices.sleep(kPiecePauseMs);
        if (stopRequested()) {
            return stopped();
        }
        if (tooSlow()) {
            return transfer;
        }
        if (!session->Write(image + offset, imageSize - offset)) {
            return lost();
        }
        taken = imageSize;
    }
    if (stopRequested()) {
        return stopped();
    }
    if (!session->Write(request.bodyTail.data(), request.bodyTail.size())) {
        return lost();
    }
    // The last byte is out: the router has the whole image, and a stop is no longer taken.
    if (job.control != nullptr) {
        job.control->bodySent.store(true);
    }
    // Only a clear refusal counts: no answer, a closed connection or an unreadable answer leave the
    // verdict to the flash wait, as a router that restarts at once may say nothing.
    const std::optional<StatusLine> status = ParseStatusLine(session->ReadAnswer());
    if (AnswerRefusesUpload(status)) {
        transfer.failure =
            Failed(UploadOutcome::RefusedByRouter, kMaxPercent, status->text);  // all of it went out
        return transfer;
    }
    transfer.complete = true;
    return transfer;
}

// Waits while the router writes its flash, probing it once per cycle. The router counts as restarting
// with the new firmware only once every probe for kSilenceForRestartMs in a row went unanswered; an answer
// ends the silence, and the router is probed on. Once it counts as restarting it is not probed again and
// the cycles shorten. The cycles' pauses shorten from the cycle after the first unanswered probe of a
// silence and are back at their full length once the router answers again.
UploadVerdict WaitForFlash(const UploadJob& job, std::uint32_t offset, const UploadServices& devices) {
    // A plain flag and time rather than an optional: GCC 12 at -O3 warns falsely about the optional's value.
    bool silent = false;           // the last probe went unanswered
    std::int64_t silentSince = 0;  // when the first probe of the present silence was sent
    bool restarted = false;
    const auto probe = [&] {
        const std::int64_t sentAt = NowMs(devices);
        const ProbeOutcome outcome = devices.probe(job.routerAddress);
        if (outcome == ProbeOutcome::Answered) {
            silent = false;
        } else if (outcome == ProbeOutcome::Silent) {
            if (!silent) {
                silent = true;
                silentSince = sentAt;
            }
            restarted = NowMs(devices) - silentSince >= kSilenceForRestartMs;
        }
        return outcome;
    };

    int delay = kWaitDelayStartMs;
    const std::uint32_t cycles = FlashWaitCycles(offset, job.percentStep);
    for (std::uint32_t cycle = 1; cycle <= cycles; ++cycle) {
        if (!restarted) {
            const bool wasSilent = silent;
            const ProbeOutcome outcome = probe();
            // A probe that never went out says nothing about the router: no restart can be seen.
            if (outcome == ProbeOutcome::NotSent) {
                return Failed(UploadOutcome::ProbeUnavailable);
            }
            if (!wasSilent || outcome == ProbeOutcome::Answered) {
                delay = kWaitDelayStartMs;
            }
        }
        devices.sleep(delay);
        delay = NextWaitDelay(delay);
        job.window->PostUpgradeProgress({ShownPercent(cycle), job.request.bodyLength});
    }

    // The cycles ended in the middle of a silence: probe on, with no posts, until it is long enough or
    // the router answers; no probe starts later than kSilenceOvertimeMs after the last cycle.
    const std::int64_t overtimeStart = NowMs(devices);
    for (int probes = 0; !restarted && silent && probes < kMaxOvertimeProbes &&
                         NowMs(devices) - overtimeStart < kSilenceOvertimeMs;
         ++probes) {
        if (probe() == ProbeOutcome::NotSent) {
            return Failed(UploadOutcome::ProbeUnavailable);
        }
        if (!restarted && silent) {
            devices.sleep(delay);
            delay = NextWaitDelay(delay);
        }
    }
    if (!restarted) {
        return Failed(UploadOutcome::NoRestart);
    }
    UploadVerdict verdict;
    verdict.result = 1;
    verdict.outcome = UploadOutcome::Restarted;
    return verdict;
}

// Passes every call to the worker's session and keeps what the log wants to know: the body bytes the
// router took and the first line of its answer.
class CountingSession final : public platform::HttpSession {
public:
    CountingSession(std::unique_ptr<platform::HttpSession> inner, UploadVerdict& verdict)
        : inner(std::move(inner)), verdict(verdict) {}
    bool Open(const std::string& agentName) override { return inner->Open(agentName); }
    bool Connect(const std::string& server, std::uint16_t port) override {
        return inner->Connect(server, port);
    }
    bool OpenRequest(const std::string& verb, const std::string& object,
                     const std::string& version) override {
        return inner->OpenRequest(verb, object, version);
    }
    bool AddRequestHeaders(std::string_view headerBlock) override {
        return inner->AddRequestHeaders(headerBlock);
    }
    bool SendRequest(std::uint32_t bodyLength) override { return inner->SendRequest(bodyLength); }
    bool Write(const char* data, std::size_t length) override {
        const bool written = inner->Write(data, length);
        verdict.bytesSent += written ? length : 0;
        return written;
    }
    std::string ReadAnswer() override {
        std::string answer = inner->ReadAnswer();
        const std::size_t end = std::min<std::size_t>(answer.find_first_of("\r\n"), kLoggedAnswerBytes);
        verdict.answer = answer.substr(0, end);
        return answer;
    }
    void Close() override { inner->Close(); }
    std::string ReadEarlyAnswer() override {
        std::string answer = inner->ReadEarlyAnswer();
        const std::size_t end = std::min<std::size_t>(answer.find_first_of("\r\n"), kLoggedAnswerBytes);
        verdict.answer = answer.substr(0, end);
        return answer;
    }
    void WatchStop(const std::atomic<bool>* stop) override { inner->WatchStop(stop); }

private:
    static constexpr std::size_t kLoggedAnswerBytes = 200;
    std::unique_ptr<platform::HttpSession> inner;
    UploadVerdict& verdict;
};

}  // namespace

UploadServices SystemUploadServices() {
    UploadServices devices;
    devices.openSession = [] { return std::make_unique<platform::HttpClient>(); };
    devices.sleep = [](int ms) { platform::SleepPrecisely(ms); };
    devices.probe = [](const std::string& address) { return ProbeHost(address); };
    devices.nowMs = SteadyNowMs;
    return devices;
}

UploadVerdict RunUploadJob(const UploadJob& job, std::shared_ptr<const Bytes>& imageData,
                           const UploadServices& devices) {
    // What the log is told beside the outcome: bytes, time, the router's answer and the silence, seen
    // through the session and the probe without changing what they do.
    UploadVerdict seen;
    UploadServices watched = devices;
    if (devices.openSession) {
        watched.openSession = [&devices, &seen]() -> std::unique_ptr<platform::HttpSession> {
            std::unique_ptr<platform::HttpSession> inner = devices.openSession();
            return inner ? std::make_unique<CountingSession>(std::move(inner), seen) : nullptr;
        };
    }
    // A flag and a time rather than an optional, as in the flash wait (GCC 12's false warning at -O3).
    auto silence = std::make_pair(false, std::int64_t{0});  // silent since the time given
    bool told = false;                                      // the present silence was told as long enough
    watched.probe = [&devices, &seen, &silence, &told](const std::string& address) {
        const std::int64_t sentAt = NowMs(devices);
        const ProbeOutcome outcome = devices.probe(address);
        if (outcome == ProbeOutcome::Silent) {
            if (!silence.first) {
                silence = {true, sentAt};
            }
            seen.silenceMs = NowMs(devices) - silence.second;
            if (!told && seen.silenceMs >= kSilenceForRestartMs && devices.silenceReached) {
                told = true;
                devices.silenceReached(seen.silenceMs);
            }
        } else {
            silence.first = false;
            told = false;
        }
        return outcome;
    };

    const std::int64_t transferStart = NowMs(devices);
    static const Bytes kNoImage;
    Transfer transfer = TransferImage(job, imageData ? *imageData : kNoImage, watched);
    seen.transferMs = NowMs(devices) - transferStart;
    imageData.reset();
    if (devices.transferEnded) {
        devices.transferEnded(seen);
    }

    UploadVerdict verdict = std::move(transfer.failure);
    if (transfer.complete) {
        job.window->ResetPercent(job.request.bodyLength);
        devices.sleep(kSettlePauseMs);
        job.window->PostStatusText(IDS_WRITING_FLASH);
        verdict = WaitForFlash(job, transfer.offset, watched);
    }
    verdict.bytesSent = seen.bytesSent;
    verdict.transferMs = seen.transferMs;
    verdict.answer = std::move(seen.answer);
    verdict.silenceMs = seen.silenceMs;
    if (devices.report) {
        devices.report(verdict);
    }
    job.window->PostUpgradeVerdict(verdict);
    return verdict;
}

}  // namespace fwu
