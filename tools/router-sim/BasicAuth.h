// How the simulated router checks the Basic credential of a request: an empty user name and the router's
// password, encoded independently of the utility's own encoder so that each checks the other.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fwu::sim {

// Base64 of RFC 4648 with the standard alphabet and "=" padding. Kept apart from the utility's encoder
// (router/Credential) on purpose: were the router to check with the utility's own encoder, a fault in it
// would produce the same wrong credential on both sides and every lab test would still log in.
std::string EncodeBase64(std::string_view bytes);

// Strict decoding: the length a multiple of four, only alphabet characters, "=" only as the last one or
// two. Nothing for any other text.
std::optional<std::string> DecodeBase64(std::string_view text);

enum class CredentialVerdict {
    Accepted,
    Missing,       // no Authorization field, or an empty one
    NotBasic,      // another scheme than Basic
    NotBase64,     // the credential does not decode
    NoColon,       // the decoded credential has no ":" between user name and password
    UserNotEmpty,  // the router has no user names: the part before ":" must be empty
    WrongPassword,
};

std::string_view CredentialVerdictName(CredentialVerdict verdict);

// Judges the value of an Authorization field ("Basic <credential>"; nothing when the field is absent).
CredentialVerdict CheckBasicCredential(std::optional<std::string_view> fieldValue, std::string_view password);

}  // namespace fwu::sim
