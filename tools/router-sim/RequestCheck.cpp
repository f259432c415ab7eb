#include "tools/router-sim/RequestCheck.h"

#include <algorithm>

namespace fwu::sim {
namespace {

constexpr std::size_t kExcerptBefore = 16;
constexpr std::size_t kExcerptLength = 48;

std::string Excerpt(std::string_view bytes, std::size_t offset) {
    const std::size_t start = offset > kExcerptBefore ? offset - kExcerptBefore : 0;
    return std::string(bytes.substr(std::min(start, bytes.size()), kExcerptLength));
}

// The first offset at which two byte runs differ; the shorter length when one is a prefix of the other.
std::size_t FirstDifference(std::string_view a, std::string_view b) {
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return static_cast<std::size_t>(ia - a.begin());
}

void CompareBytes(std::vector<Difference>& out, const std::string& kind, std::string_view expected,
                  std::string_view actual, std::size_t baseOffset) {
    if (expected == actual) {
        return;
    }
    const std::size_t at = FirstDifference(expected, actual);
    Difference d;
    d.kind = kind;
    d.offset = static_cast<std::int64_t>(baseOffset + at);
    d.detail = kind + " differs from byte " + std::to_string(baseOffset + at);
    d.expected = Excerpt(expected, at);
    d.actual = Excerpt(actual, at);
    out.push_back(std::move(d));
}

std::string Credential(std::string_view password) {
    return EncodeBase64(":" + std::string(password));
}

void AddCredentialDifference(std::vector<Difference>& out, CredentialVerdict verdict) {
    if (verdict == CredentialVerdict::Accepted) {
        return;
    }
    Difference d;
    d.kind = "credential";
    d.detail = "Authorization: " + std::string(CredentialVerdictName(verdict));
    out.push_back(std::move(d));
}

}  // namespace

std::string ExpectedStatusHead(std::string_view password) {
    return "GET /SysInfo.htm HTTP/1.1\r\n"
           "Authorization: Basic " +
           Credential(password) +
           "\r\n"
           "\r\n";
}

StatusCheck CheckStatusRequest(std::string_view rawHead, std::string_view afterHead,
                               std::string_view password) {
    StatusCheck check;
    CompareBytes(check.differences, "request", ExpectedStatusHead(password), rawHead, 0);
    if (!afterHead.empty()) {
        Difference d;
        d.kind = "extra-bytes";
        d.detail = std::to_string(afterHead.size()) + " bytes after the empty line that ends the request";
        d.actual = Excerpt(afterHead, 0);
        check.differences.push_back(std::move(d));
    }
    check.credential = CheckBasicCredential(FieldValue(ParseRequestHead(rawHead), "Authorization"), password);
    AddCredentialDifference(check.differences, check.credential);
    return check;
}

std::vector<std::string> ExpectedUploadHeaders(std::string_view address, std::uint64_t bodyLength,
                                               std::string_view password) {
    const std::string at(address);
    return {
        "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
        "application/vnd.ms-powerpoint, application/vnd.ms-excel, application/msword, */*",
        "Referer: http://" + at + "/Upgrade.asp",
        "Accept-Language: zh-tw",
        "Content-Type: multipart/form-data; boundary=---------------------------7d6334282094a",
        "Accept-Encoding: gzip, deflate",
        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; .NET CLR 1.1.4322)",
        "Host: " + at,
        "Content-Length: " + std::to_string(bodyLength),
        "Connection: Keep-Alive",
        "Cache-Control: no-cache",
        "Authorization: Basic " + Credential(password),
    };
}

// The form's lines end in a bare line feed, as the router's own upgrade page sends them; each delimiter
// line is the announced boundary with two more hyphens.
std::string ExpectedBodyHead() {
    return "-----------------------------7d6334282094a\n"
           "Content-Disposition: form-data; name=\"submit_button\"\n"
           "\n"
           "Upgrade\n"
           "-----------------------------7d6334282094a\n"
           "Content-Disposition: form-data; name=\"change_action\"\n"
           "\n"
           "\n"
           "-----------------------------7d6334282094a\n"
           "Content-Disposition: form-data; name=\"action\"\n"
           "\n"
           "\n"
           "-----------------------------7d6334282094a\n"
           "Content-Disposition: form-data; name=\"file\"; filename=\"" +
           std::string(kFormFileName) +
           "\"\n"
           "Content-Type: application/octet-stream\n"
           "\n";
}

std::string ExpectedBodyTail() {
    return "-----------------------------7d6334282094a\n"
           "Content-Disposition: form-data; name=\"process\"\n"
           "\n"
           "\n"
           "-----------------------------7d6334282094a--";
}

UploadCheck CheckUploadRequest(const UploadInput& input) {
    UploadCheck check;
    auto& out = check.differences;

    if (input.head.requestLine != kUploadRequestLine) {
        out.push_back({"request-line", "request line differs", std::string(kUploadRequestLine),
                       input.head.requestLine, -1, -1});
    }
    if (input.head.bareLineFeeds > 0) {
        out.push_back({"line-end",
                       std::to_string(input.head.bareLineFeeds) + " head lines end in LF without CR", "\r\n",
                       "\n", -1, -1});
    }

    // The length the header should announce is the number of bytes that really followed the head.
    const std::uint64_t sent = input.body.size() + input.extraBytes.size();
    const auto expected = ExpectedUploadHeaders(input.address, sent, input.password);
    const auto& actual = input.head.headerLines;
    const std::size_t common = std::min(expected.size(), actual.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (expected[i] != actual[i]) {
            out.push_back({"header", "header line " + std::to_string(i + 1) + " differs", expected[i],
                           actual[i], -1, static_cast<int>(i)});
        }
    }
    for (std::size_t i = common; i < expected.size(); ++i) {
        out.push_back({"missing-header", "header line " + std::to_string(i + 1) + " missing", expected[i], "",
                       -1, static_cast<int>(i)});
    }
    for (std::size_t i = common; i < actual.size(); ++i) {
        out.push_back({"extra-header", "unexpected header line " + std::to_string(i + 1), "", actual[i], -1,
                       static_cast<int>(i)});
    }

    check.credential = CheckBasicCredential(FieldValue(input.head, "Authorization"), input.password);
    AddCredentialDifference(out, check.credential);

    if (input.body.size() < input.announced) {
        out.push_back({"body-short",
                       "announced " + std::to_string(input.announced) + " body bytes, received " +
                           std::to_string(input.body.size()),
                       std::to_string(input.announced), std::to_string(input.body.size()), -1, -1});
    }
    if (!input.extraBytes.empty()) {
        out.push_back({"extra-bytes",
                       std::to_string(input.extraBytes.size()) + " bytes after the announced body", "",
                       Excerpt(input.extraBytes, 0), static_cast<std::int64_t>(input.body.size()), -1});
    }

    const std::string head = ExpectedBodyHead();
    const std::string tail = ExpectedBodyTail();
    const std::string_view body = input.body;
    if (body.size() < head.size() + tail.size()) {
        out.push_back({"body-too-small",
                       "body of " + std::to_string(body.size()) + " bytes cannot hold the form fields", "",
                       "", -1, -1});
        CompareBytes(out, "body-head", head, body.substr(0, head.size()), 0);
        return check;
    }
    CompareBytes(out, "body-head", head, body.substr(0, head.size()), 0);
    const std::size_t tailAt = body.size() - tail.size();
    CompareBytes(out, "body-tail", tail, body.substr(tailAt), tailAt);
    check.haveImage = true;
    check.imageOffset = head.size();
    check.imageSize = tailAt - head.size();
    return check;
}

}  // namespace fwu::sim
