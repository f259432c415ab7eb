// The Basic credential that both HTTP requests to the router carry: Base64 of ":" and the password.
#pragma once

#include <cstddef>
#include <string>

namespace fwu {

// The longest password whose credential fits the router's 255-character limit (189 input bytes give
// 252 Base64 characters).
inline constexpr std::size_t kMaxPasswordBytes = 188;

// Base64 (RFC 4648, standard alphabet, "=" padding, no line breaks) of `length` bytes taken as octets.
std::string Base64Encode(const unsigned char* data, std::size_t length);

// Writes Base64(":" + password) into `credential`; false (and `credential` empty) when the password is
// longer than kMaxPasswordBytes.
bool BuildBasicCredential(const std::string& password, std::string& credential);

}  // namespace fwu
