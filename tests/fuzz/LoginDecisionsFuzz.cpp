// The login page's pure decisions over typed text: the octet key decision, the range check, the version
// comparison and the credential. Layout: field, key, selection start and end, last accepted value, range
// minimum and width (two bytes), then the text; the version comparison takes the text cut at its first
// line feed as the router's and the utility's versions.
#include <algorithm>
#include <string>
#include <string_view>

#include "package/FirmwarePackage.h"
#include "router/Credential.h"
#include "tests/fuzz/FuzzCheck.h"
#include "wizard/OctetKeys.h"
#include "wizard/RangeCheck.h"

namespace {

constexpr std::string_view kBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string DecodeBase64(std::string_view text) {
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=') {
            break;
        }
        const std::size_t value = kBase64.find(c);
        FUZZ_CHECK(value != std::string_view::npos);
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    return out;
}

void CheckKeyDecision(int field, int key, int selStart, int selEnd, std::string_view text) {
    const fwu::OctetKeyDecision d = fwu::DecideOctetKey(field, key, selStart, selEnd, text);
    // The decision only ever names one of the four fields, and never the one typed in.
    FUZZ_CHECK(d.moveToField >= -1 && d.moveToField <= 3 && d.moveToField != field);
    FUZZ_CHECK(!d.selectAllMoved || d.moveToField >= 0);
    FUZZ_CHECK(!d.backspaceIntoPrevious || (field > 0 && d.moveToField == field - 1 && !d.pass));
    if (d.replaceText) {
        FUZZ_CHECK(!d.pass && d.replaceText->size() == 1 && AllDigits(*d.replaceText));
        FUZZ_CHECK(d.replaceCaret >= 0 && d.replaceCaret <= static_cast<int>(d.replaceText->size()));
    }
    const fwu::BackspaceInto back = fwu::BackspaceIntoField(text);
    if (text.empty()) {
        FUZZ_CHECK(back.text.empty() && back.caret == -1);
    } else {
        FUZZ_CHECK(back.text == text.substr(0, text.size() - 1) &&
                   back.caret == static_cast<int>(back.text.size()));
    }
}

void CheckRange(std::string_view text, int minimum, int maximum, int lastAccepted) {
    const fwu::RangeCheckResult r = fwu::CheckRangeText(text, minimum, maximum, lastAccepted);
    FUZZ_CHECK(AllDigits(r.text) && (r.text.size() < 2 || r.text[0] != '0'));
    FUZZ_CHECK(r.caret >= 0 && r.caret <= static_cast<int>(r.text.size()));
    FUZZ_CHECK(r.textChanged == (r.text != text) && (!r.beep || r.textChanged));
    // What the field holds and the last accepted value always agree, and stay within the range.
    if (r.text.empty()) {
        FUZZ_CHECK(r.lastAccepted == -1);
    } else {
        FUZZ_CHECK(r.lastAccepted >= minimum && r.lastAccepted <= maximum &&
                   r.text == std::to_string(r.lastAccepted));
    }
    // Checking the result again accepts it as it is.
    const fwu::RangeCheckResult again = fwu::CheckRangeText(r.text, minimum, maximum, r.lastAccepted);
    FUZZ_CHECK(!again.textChanged && !again.beep && again.lastAccepted == r.lastAccepted);
}

void CheckCompare(std::string_view router, std::string_view utility) {
    const int order = fwu::CompareVersionText(router, utility);
    FUZZ_CHECK(order >= -1 && order <= 1);
    FUZZ_CHECK((order == 0) == (router == utility));
    // Texts of one length compare by their first differing byte. (Texts of different lengths need not
    // compare the same way round: a run of digits that goes on where the other text ended decides.)
    if (router.size() == utility.size()) {
        const int bytes = router.compare(utility);
        FUZZ_CHECK(order == (bytes < 0 ? 1 : bytes > 0 ? -1 : 0));
    }
}

void CheckCredential(const std::string& password) {
    std::string credential = "left over";
    const bool ok = fwu::BuildBasicCredential(password, credential);
    FUZZ_CHECK(ok == (password.size() <= fwu::kMaxPasswordBytes));
    if (!ok) {
        FUZZ_CHECK(credential.empty());
        return;
    }
    FUZZ_CHECK(credential.size() == (password.size() + 3) / 3 * 4 && credential.size() <= 252);
    FUZZ_CHECK(DecodeBase64(credential) == ":" + password);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHead = 8;
    if (size < kHead) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data) + kHead, size - kHead);
    const int n = static_cast<int>(text.size());

    const int selStart = data[2] % (n + 1);
    CheckKeyDecision(data[0] % 4, data[1], selStart, selStart + data[3] % (n - selStart + 1), text);

    const int minimum = data[5];
    const int maximum = minimum + (data[6] | (data[7] << 8));
    const int lastAccepted = data[4] == 0 ? -1 : minimum + (data[4] - 1) % (maximum - minimum + 1);
    CheckRange(text, minimum, maximum, lastAccepted);

    const std::size_t cut = std::min(text.find('\n'), text.size());
    CheckCompare(std::string_view(text).substr(0, cut),
                 std::string_view(text).substr(std::min(cut + 1, text.size())));
    CheckCredential(text);
    return 0;
}
