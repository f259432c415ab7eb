// What the simulated router expects of the two requests the utility sends, and every way a received
// request differs from it. The expected bytes are written out here in full, the way a test writes its
// expected output, and never taken from the utility's string table: a wrong byte in the utility's texts
// must make the router's check fail, not change what the check expects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/router-sim/BasicAuth.h"
#include "tools/router-sim/RequestHead.h"

namespace fwu::sim {

// The upload's request line: the handler's object with a leading slash, HTTP/1.0.
inline constexpr std::string_view kUploadRequestLine = "POST /upgrade.cgi HTTP/1.0";
inline constexpr std::string_view kFormFileName = "C:\\sample_code.bin";
inline constexpr std::size_t kUploadHeaderCount = 11;
// The largest upload body the router accepts.
inline constexpr std::uint64_t kMaxUploadBody = 64ull * 1024 * 1024;

struct Difference {
    // request, request-line, line-end, header, missing-header, extra-header, credential, content-length,
    // body-short, body-too-small, body-head, body-tail, extra-bytes
    std::string kind;
    std::string detail;        // one line for a person
    std::string expected;      // the expected bytes (or an excerpt), when that helps
    std::string actual;        // the received bytes (or an excerpt)
    std::int64_t offset = -1;  // where the bytes differ first, when it applies
    int index = -1;            // header line number (0-based), when it applies
};

// The complete head of the status request for a password: the request text, the credential and the
// empty line.
std::string ExpectedStatusHead(std::string_view password);

struct StatusCheck {
    CredentialVerdict credential = CredentialVerdict::Missing;
    std::vector<Difference> differences;
};

// Compares the received head of a GET (and any bytes after it) with the expected request.
StatusCheck CheckStatusRequest(std::string_view rawHead, std::string_view afterHead,
                               std::string_view password);

// The eleven header lines of the upload for the address the router was reached at, the body length and
// the password, in their order.
std::vector<std::string> ExpectedUploadHeaders(std::string_view address, std::uint64_t bodyLength,
                                               std::string_view password);

// The form fields before the image (452 bytes) and after it (136 bytes).
std::string ExpectedBodyHead();
std::string ExpectedBodyTail();

struct UploadInput {
    RequestHead head;
    std::string_view body;        // the bytes received as the body (at most the announced length)
    std::uint64_t announced = 0;  // the Content-Length the request announced
    std::string_view extraBytes;  // bytes that came after the announced body
    std::string_view address;     // the router address the request reached
    std::string_view password;
};

struct UploadCheck {
    CredentialVerdict credential = CredentialVerdict::Missing;
    std::vector<Difference> differences;
    bool haveImage = false;       // the body could be cut into head, image and tail
    std::size_t imageOffset = 0;  // where the image starts in the body
    std::size_t imageSize = 0;
};

UploadCheck CheckUploadRequest(const UploadInput& input);

}  // namespace fwu::sim
