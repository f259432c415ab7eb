// The window fields that the router check reads and writes, as plain values, so the check runs without a
// window and the window hands them over and takes them back.
#pragma once

#include <array>
#include <string>

namespace fwu {

struct RouterCheckFields {
    std::string passwordFieldText;              // in: the password field as typed
    std::array<std::string, 4> octetFieldText;  // in: the four octet fields as typed
    std::string password;                       // out: the password stored for the upload
    std::array<std::string, 4> octetText;       // out: the octets, an empty one read as "0"
    std::string routerAddress;                  // out: the octets joined by dots
    std::string routerVersion;                  // in/out: replaced only when the status page gives it
};

}  // namespace fwu
