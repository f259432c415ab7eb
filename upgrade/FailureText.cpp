#include "upgrade/FailureText.h"

#include <string_view>

#include "res/StringTable.h"
#include "router/StatusQuery.h"

namespace fwu {
namespace {

// The text of `stringId` with "%d" replaced by `number`, "%s" by `quoted` and "%%" by "%".
std::string FillIn(int stringId, int number = 0, std::string_view quoted = {}) {
    const std::string_view format = LoadString(stringId);
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out.push_back(format[i]);
            continue;
        }
        switch (format[++i]) {
            case 'd':
                out += std::to_string(number);
                break;
            case 's':
                out += quoted;
                break;
            case '%':
                out.push_back('%');
                break;
            default:
                out.push_back('%');
                out.push_back(format[i]);
                break;
        }
    }
    return out;
}

// The router's own words, untrusted: one printable line, cut short (to fit the progress page's status
// line; a message box takes a longer one).
std::string Quoted(const std::string& statusLine, std::size_t maxChars = kMaxQuotedStatusLine) {
    return PrintableLine(statusLine, maxChars);
}

}  // namespace

std::string FailureText(const UploadVerdict& verdict) {
    if (verdict.result != 0) {
        return {};
    }
    switch (verdict.outcome) {
        case UploadOutcome::NotConnected:
            return FillIn(IDS_FAIL_NOT_CONNECTED);
        case UploadOutcome::LostInTransfer:
            return FillIn(IDS_FAIL_LOST, verdict.percent);
        case UploadOutcome::RefusedByRouter:
            return FillIn(IDS_FAIL_REFUSED, 0, Quoted(verdict.statusLine));
        case UploadOutcome::NoRestart:
            return FillIn(IDS_FAIL_NO_RESTART);
        case UploadOutcome::ProbeUnavailable:
            return FillIn(IDS_FAIL_NO_PING);
        case UploadOutcome::Stopped:
            return FillIn(IDS_FAIL_STOPPED);
        case UploadOutcome::TooSlow:
            return FillIn(IDS_FAIL_TOO_SLOW, verdict.percent);
        case UploadOutcome::PasswordRefused:
            return FillIn(IDS_FAIL_PASSWORD);
        case UploadOutcome::Restarted:  // a restart with result 0 is a contradiction: no cause to give
        case UploadOutcome::Unreported:
            break;
    }
    return FillIn(IDS_FAIL_UNREPORTED);
}

std::string RouterCheckFailureText(const RouterCheckResult& result) {
    if (result.passed) {
        return {};
    }
    switch (result.reason) {
        case RouterCheckReason::PingNotAllowed:
            return FillIn(IDS_CHECK_NO_PING);
        case RouterCheckReason::NotRouterAddress:
            return FillIn(IDS_CHECK_NOT_ROUTER);
        case RouterCheckReason::BroadcastAddress:
            return FillIn(IDS_CHECK_BROADCAST);
        case RouterCheckReason::NoRoute:
            return FillIn(IDS_CHECK_NO_ROUTE);
        case RouterCheckReason::PasswordRefused:
            return result.statusLine.empty()
                       ? FillIn(IDS_CHECK_REFUSED_BARE)
                       : FillIn(IDS_CHECK_REFUSED, 0, Quoted(result.statusLine, kMaxShownStatusLine));
        case RouterCheckReason::NotStatusPage:
            return FillIn(IDS_CHECK_NOT_STATUS_PAGE, 0, Quoted(result.statusLine, kMaxShownStatusLine));
        case RouterCheckReason::NotRun:
            return {};  // nothing was seen: the error says all there is
        default:
            return FillIn(IDS_CHECK_NO_ANSWER);
    }
}

std::string UnknownVersionText(const RouterCheckResult& result) {
    if (!result.passed || result.version) {
        return {};
    }
    int reason = IDS_VERSION_NO_CONNECTION;
    if (result.reason == RouterCheckReason::NoVersionField) {
        reason = IDS_VERSION_NO_FIELD;
    } else if (result.reason == RouterCheckReason::NoAnswerInTime) {
        reason = IDS_VERSION_NO_TIME;
    } else if (result.reason == RouterCheckReason::TwoVersions) {
        reason = IDS_VERSION_TWO_FIELDS;
    }
    return FillIn(reason);
}

std::string DisprovedUpgradeText(ConfirmationState state, const std::string& version) {
    switch (state) {
        case ConfirmationState::OtherVersion:
            return FillIn(IDS_FAIL_OTHER_VERSION, 0, Quoted(version));
        case ConfirmationState::NotBack:
            return FillIn(IDS_FAIL_NOT_BACK);
        default:
            return {};
    }
}

}  // namespace fwu
