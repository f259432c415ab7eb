#include "tools/router-sim/BasicAuth.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace fwu::sim {
namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c) {
    const auto at = kAlphabet.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string EncodeBase64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            out += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return out;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        std::array<int, 4> sextets{};
        int padding = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const char c = text[i + k];
            if (c == '=' && last && k >= 2) {
                ++padding;
                sextets[k] = 0;
                continue;
            }
            if (padding > 0) {
                return std::nullopt;  // a character after "="
            }
            sextets[k] = SextetOf(c);
            if (sextets[k] < 0) {
                return std::nullopt;
            }
        }
        const std::uint32_t group = (sextets[0] << 18) | (sextets[1] << 12) | (sextets[2] << 6) | sextets[3];
        const int bytes = 3 - padding;
        // Bits below the last whole byte must be zero, else two texts would decode alike.
        if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0)) {
            return std::nullopt;
        }
        for (int k = 0; k < bytes; ++k) {
            out += static_cast<char>((group >> (16 - 8 * k)) & 0xFF);
        }
    }
    return out;
}

std::string_view CredentialVerdictName(CredentialVerdict verdict) {
    switch (verdict) {
        case CredentialVerdict::Accepted:
            return "accepted";
        case CredentialVerdict::Missing:
            return "missing";
        case CredentialVerdict::NotBasic:
            return "not-basic";
        case CredentialVerdict::NotBase64:
            return "not-base64";
        case CredentialVerdict::NoColon:
            return "no-colon";
        case CredentialVerdict::UserNotEmpty:
            return "user-not-empty";
        case CredentialVerdict::WrongPassword:
            return "wrong-password";
    }
    return "missing";
}

CredentialVerdict CheckBasicCredential(std::optional<std::string_view> fieldValue,
                                       std::string_view password) {
    if (!fieldValue || fieldValue->empty()) {
        return CredentialVerdict::Missing;
    }
    std::string_view value = *fieldValue;
    const auto blank = value.find(' ');
    if (blank == std::string_view::npos || !EqualsIgnoringCase(value.substr(0, blank), "Basic")) {
        return CredentialVerdict::NotBasic;
    }
    value.remove_prefix(blank);
    while (!value.empty() && value.front() == ' ') {
        value.remove_prefix(1);
    }
    const auto decoded = DecodeBase64(value);
    if (!decoded || decoded->empty()) {
        return CredentialVerdict::NotBase64;
    }
    const auto colon = decoded->find(':');
    if (colon == std::string::npos) {
        return CredentialVerdict::NoColon;
    }
    if (colon != 0) {
        return CredentialVerdict::UserNotEmpty;
    }
    return std::string_view(*decoded).substr(1) == password ? CredentialVerdict::Accepted
                                                            : CredentialVerdict::WrongPassword;
}

}  // namespace fwu::sim
