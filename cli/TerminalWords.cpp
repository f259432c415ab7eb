#include "cli/TerminalWords.h"

#include "package/FirmwarePackage.h"
#include "res/StringTable.h"

namespace fwu::cli {
namespace {

std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\n') {
            c = ' ';
        }
    }
    return line;
}

}  // namespace

std::string ErrorWords(int stringId, std::string_view reason) {
    while (!reason.empty() && (reason.back() == '.' || reason.back() == ' ')) {
        reason.remove_suffix(1);
    }
    if (stringId == IDS_ROUTER_NOT_FOUND) {
        return ShownText(reason.empty()
                             ? std::string("cannot reach the router: the address or the password is "
                                           "wrong; check both, then run again")
                             : "cannot reach the router: " + std::string(reason) +
                                   "; check the address and the password, then run again");
    }
    std::string words = OneLine(LoadString(stringId));
    if (!reason.empty()) {
        words += " " + std::string(reason);
    }
    return ShownText(words);
}

std::string UploadFailureWords(const UploadVerdict& verdict) {
    switch (verdict.outcome) {
        case UploadOutcome::NotConnected:
            return "the router's web server did not accept the connection; check it and run again";
        case UploadOutcome::LostInTransfer:
            return "the connection was lost at " + std::to_string(verdict.percent) +
                   " %; the router keeps its current firmware; run again";
        case UploadOutcome::RefusedByRouter:
            return ShownText("the router refused the image (" + verdict.statusLine +
                             "); check the password and run again");
        case UploadOutcome::TooSlow:
            return "the router took the image too slowly and the transfer was ended at " +
                   std::to_string(verdict.percent) + " %; the router keeps its current firmware; run again";
        case UploadOutcome::PasswordRefused:
            return "the router refused the password before taking the image; check it and run again";
        case UploadOutcome::NoRestart:
            return "the router took the image but did not restart; restart it, then check its version";
        case UploadOutcome::ProbeUnavailable:
            return "this computer does not let the program send pings, so the restart cannot be seen; check "
                   "the router's version";
        case UploadOutcome::Stopped:
            return "the upgrade was stopped; the router keeps its current firmware";
        case UploadOutcome::Restarted:
        case UploadOutcome::Unreported:
            break;
    }
    return "the upgrade did not complete; run again";
}

std::string_view StopRefusedWords() {
    return "the router is writing its flash and cannot be stopped now; please wait";
}

std::string DowngradeQuestion(std::string_view routerVersion, std::string_view carriedVersion) {
    return ShownText("The router runs " + std::string(routerVersion) + ", newer than " +
                     std::string(carriedVersion) + " that this program carries. Downgrade it to " +
                     std::string(carriedVersion) + "?");
}

UpgradeAction ActionFor(std::string_view routerVersion, std::string_view carriedVersion) {
    if (routerVersion.empty()) {
        return UpgradeAction::Unknown;
    }
    const int comparison = CompareVersionText(routerVersion, carriedVersion);
    return comparison < 0    ? UpgradeAction::Downgrade
           : comparison == 0 ? UpgradeAction::Same
                             : UpgradeAction::Upgrade;
}

std::string_view ActionName(UpgradeAction action) {
    switch (action) {
        case UpgradeAction::Upgrade:
            return "upgrade";
        case UpgradeAction::Same:
            return "same";
        case UpgradeAction::Downgrade:
            return "downgrade";
        case UpgradeAction::Unknown:
            break;
    }
    return "unknown";
}

std::string_view ActionWords(UpgradeAction action) {
    switch (action) {
        case UpgradeAction::Upgrade:
            return "upgrade to the carried version";
        case UpgradeAction::Same:
            return "none needed: the router runs the carried version (an upgrade would send it again)";
        case UpgradeAction::Downgrade:
            return "downgrade: the router runs a newer version (asks first, or --yes)";
        case UpgradeAction::Unknown:
            break;
    }
    return "upgrade; the router's version is unknown";
}

}  // namespace fwu::cli
