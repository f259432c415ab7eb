// The Basic credential of the router's requests: an empty user name, a colon and the password, in Base64.
#include "router/Credential.h"

namespace fwu {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string Base64Encode(const unsigned char* data, std::size_t length) {
    std::string out;
    out.reserve((length + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        const unsigned group = (unsigned{data[i]} << 16) | (unsigned{data[i + 1]} << 8) | data[i + 2];
        out += kAlphabet[(group >> 18) & 0x3F];
        out += kAlphabet[(group >> 12) & 0x3F];
        out += kAlphabet[(group >> 6) & 0x3F];
        out += kAlphabet[group & 0x3F];
    }
    if (length - i == 1) {
        const unsigned group = unsigned{data[i]} << 16;
        out += kAlphabet[(group >> 18) & 0x3F];
        out += kAlphabet[(group >> 12) & 0x3F];
        out += "==";
    } else if (length - i == 2) {
        const unsigned group = (unsigned{data[i]} << 16) | (unsigned{data[i + 1]} << 8);
        out += kAlphabet[(group >> 18) & 0x3F];
        out += kAlphabet[(group >> 12) & 0x3F];
        out += kAlphabet[(group >> 6) & 0x3F];
        out += '=';
    }
    return out;
}

bool BuildBasicCredential(const std::string& password, std::string& credential) {
    credential.clear();
    // The router keeps the credential in a 255-character field; a longer password cannot be sent whole.
    if (password.size() > kMaxPasswordBytes) {
        return false;
    }
    const std::string userAndPassword = ":" + password;
    credential =
        Base64Encode(reinterpret_cast<const unsigned char*>(userAndPassword.data()), userAndPassword.size());
    return true;
}

}  // namespace fwu
