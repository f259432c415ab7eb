// The upload request exactly as the utility must put it on the wire, built here from the utility's string
// table by plain joining (so the router's literal expectations are held against the utility's texts), and
// changed by tests to make each kind of fault.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "res/StringTable.h"
#include "tools/router-sim/BasicAuth.h"
#include "tools/router-sim/RequestCheck.h"

namespace fwu::sim {

inline std::string S(int id) {
    return std::string(LoadString(id));
}

inline std::string Image(std::size_t size) {
    std::string image(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        image[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    }
    return image;
}

// The request as the utility must put it on the wire: request line, the header block with CR LF line ends,
// the empty line, then the body.
struct WireRequest {
    std::string requestLine = "POST /upgrade.cgi HTTP/1.0";
    std::vector<std::string> headers;
    std::string lineEnd = "\r\n";
    std::string body;
    std::string extra;                      // bytes sent after the announced body
    std::optional<std::uint64_t> announce;  // Content-Length when it should differ from the body's size

    static WireRequest Good(const std::string& image, const std::string& password = "rodel",
                            const std::string& address = "192.168.1.1") {
        WireRequest r;
        r.body = S(IDS_BODY_HEAD) + "C:\\sample_code.bin" + S(IDS_BODY_FILE_TYPE) + image + S(IDS_BODY_TAIL);
        const std::string block = S(IDS_HEADER_REFERER) + address + S(IDS_HEADER_HOST) + address +
                                  S(IDS_HEADER_LENGTH) + std::to_string(r.body.size()) + S(IDS_HEADER_AUTH) +
                                  EncodeBase64(":" + password);
        std::size_t start = 0;
        for (std::size_t lf; (lf = block.find('\n', start)) != std::string::npos; start = lf + 1) {
            r.headers.push_back(block.substr(start, lf - start));
        }
        r.headers.push_back(block.substr(start));
        return r;
    }

    std::string Head() const {
        std::string raw = requestLine + lineEnd;
        for (const auto& h : headers) {
            raw += h + lineEnd;
        }
        return raw + lineEnd;
    }

    // Everything the client writes on the connection.
    std::string Wire() const { return Head() + body + extra; }

    // What the router's check says of it, when it reached the router at 192.168.1.1.
    UploadCheck Check(std::string_view password = "rodel") {
        storedHead = ParseRequestHead(Head());
        const std::uint64_t announced = announce.value_or(body.size());
        storedBody = body.substr(0, std::min<std::uint64_t>(announced, body.size()));
        return CheckUploadRequest({storedHead, storedBody, announced, extra, "192.168.1.1", password});
    }

    RequestHead storedHead;
    std::string storedBody;
};

}  // namespace fwu::sim
