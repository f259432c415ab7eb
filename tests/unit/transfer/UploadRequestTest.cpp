// The upload request's exact bytes: header fields, body lines, lengths and limits.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "transfer/UploadRequest.h"

namespace fwu {
namespace {

constexpr std::uint32_t kCarriedImageSize = 3'253'248;
const std::string kDelimiter = "-----------------------------7d6334282094a";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

TEST(UploadRequest, CarriedImageAnnouncesItsBodyLength) {
    const auto request = BuildUploadHttpRequest("192.168.1.1", "OmFkbWlu", kCarriedImageSize);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->method, "POST");
    EXPECT_EQ(request->object, "upgrade.cgi");
    EXPECT_EQ(request->version, "1.0");
    EXPECT_EQ(request->bodyHead.size(), 452u);
    EXPECT_EQ(request->bodyTail.size(), 136u);
    EXPECT_EQ(request->bodyLength, 3'253'836u);
    EXPECT_NE(request->headerBlock.find("\nContent-Length: 3253836\n"), std::string::npos);
}

TEST(UploadRequest, HeaderBlockHoldsElevenFieldsInOrder) {
    const auto request = BuildUploadHttpRequest("10.0.0.138", "OmFkbWlu", 1'000);
    ASSERT_TRUE(request);
    const std::vector<std::string> expected = {
        "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
        "application/vnd.ms-powerpoint, application/vnd.ms-excel, application/msword, */*",
        "Referer: http://10.0.0.138/Upgrade.asp",
        "Accept-Language: zh-tw",
        "Content-Type: multipart/form-data; boundary=---------------------------7d6334282094a",
        "Accept-Encoding: gzip, deflate",
        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; .NET CLR 1.1.4322)",
        "Host: 10.0.0.138",
        "Content-Length: 1588",
        "Connection: Keep-Alive",
        "Cache-Control: no-cache",
        "Authorization: Basic OmFkbWlu",  // ":admin"
    };
    EXPECT_EQ(SplitLines(request->headerBlock), expected);
    EXPECT_NE(request->headerBlock.back(), '\n');
    EXPECT_EQ(request->headerBlock.find('\r'), std::string::npos);
}

TEST(UploadRequest, EmptyPasswordStillSendsTheCredentialOfAColon) {
    const auto request = BuildUploadHttpRequest("192.168.1.1", "Og==", 500);
    ASSERT_TRUE(request);
    const std::string& block = request->headerBlock;
    EXPECT_EQ(block.substr(block.rfind('\n') + 1), "Authorization: Basic Og==");
}

TEST(UploadRequest, BodyReadsAsTheTwentyTwoLinesOfTheForm) {
    const auto request = BuildUploadHttpRequest("192.168.1.1", "OmFkbWlu", 7);
    ASSERT_TRUE(request);
    // The image ends with a line feed of its own: nothing is added or taken away around it.
    const std::string body = request->bodyHead + "IMG\x01\x02X\n" + request->bodyTail;
    ASSERT_EQ(body.size(), request->bodyLength);

    const std::vector<std::string> expected = {
        kDelimiter,
        "Content-Disposition: form-data; name=\"submit_button\"",
        "",
        "Upgrade",
        kDelimiter,
        "Content-Disposition: form-data; name=\"change_action\"",
        "",
        "",
        kDelimiter,
        "Content-Disposition: form-data; name=\"action\"",
        "",
        "",
        kDelimiter,
        "Content-Disposition: form-data; name=\"file\"; filename=\"C:\\sample_code.bin\"",
        "Content-Type: application/octet-stream",
        "",
        "IMG\x01\x02X",
        kDelimiter,  // directly after the image's own last byte
        "Content-Disposition: form-data; name=\"process\"",
        "",
        "",
        kDelimiter + "--",
    };
    EXPECT_EQ(SplitLines(body), expected);
    EXPECT_EQ(body.find('\r'), std::string::npos);
    // The closing delimiter is the very last byte: no line feed after it.
    EXPECT_TRUE(body.ends_with(kDelimiter + "--"));
}

TEST(UploadRequest, RefusesWhatCannotBeAnnouncedOrAuthorised) {
    constexpr std::uint64_t kLargestImage = std::numeric_limits<std::uint32_t>::max() - 588u;
    const auto largest = BuildUploadHttpRequest("192.168.1.1", "OmFkbWlu", kLargestImage);
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->bodyLength, std::numeric_limits<std::uint32_t>::max());
    EXPECT_FALSE(BuildUploadHttpRequest("192.168.1.1", "OmFkbWlu", kLargestImage + 1));
    EXPECT_FALSE(BuildUploadHttpRequest("192.168.1.1", "OmFkbWlu", std::uint64_t{1} << 32));

}

}  // namespace
}  // namespace fwu
