// The one HTTP request that carries the firmware image to the router's upgrade handler: a multipart form
// post that looks like the router's own upgrade page. Everything but the image bytes is built here; the
// worker sends the body head, the image and the body tail in that order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "router/RouterAddress.h"

namespace fwu {

// Where the run sends the image: the router's address and the run's Basic credential (see Credential.h).
struct UploadTarget {
    RouterAddress address;
    std::string credential;
};

// The file name the form gives the image, whatever image is carried.
inline constexpr std::string_view kUploadFileName = "C:\\sample_code.bin";

struct UploadHttpRequest {
    std::string method;            // "POST"
    std::string object;            // "upgrade.cgi"
    std::string version;           // "1.0"
    std::string headerBlock;       // eleven header fields separated by single line feeds, none after the last
    std::string bodyHead;          // the form fields before the image bytes
    std::string bodyTail;          // the form fields after the image bytes, ending with the closing delimiter
    std::uint32_t bodyLength = 0;  // bodyHead + image + bodyTail, as announced in Content-Length
};

// Builds the request for an image of `imageSize` bytes to the router at `routerAddress` (dotted), carrying
// `credential`. Nothing when the body would not fit in 32 bits.
std::optional<UploadHttpRequest> BuildUploadHttpRequest(const std::string& routerAddress,
                                                        const std::string& credential,
                                                        std::uint64_t imageSize);

}  // namespace fwu
