// The router's check of the upload request: silent on the exact bytes, and naming each kind of difference.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/unit/router-sim/WireRequest.h"
#include "tools/router-sim/RequestCheck.h"

namespace fwu::sim {
namespace {

std::vector<std::string> Kinds(const UploadCheck& check) {
    std::vector<std::string> kinds;
    for (const auto& d : check.differences) {
        kinds.push_back(d.kind);
    }
    return kinds;
}

TEST(UploadCheck, ExactRequestOfTheCarriedImageSizeHasNoDifference) {
    const std::string image = Image(3253248);
    WireRequest request = WireRequest::Good(image);
    ASSERT_EQ(request.headers.size(), kUploadHeaderCount);
    EXPECT_EQ(request.headers[7], "Content-Length: 3253836");
    EXPECT_EQ(ExpectedBodyHead().size(), 452u);
    EXPECT_EQ(ExpectedBodyTail().size(), 136u);

    const UploadCheck check = request.Check();
    EXPECT_TRUE(check.differences.empty()) << check.differences.front().detail;
    EXPECT_EQ(check.credential, CredentialVerdict::Accepted);
    ASSERT_TRUE(check.haveImage);
    EXPECT_EQ(check.imageOffset, 452u);
    EXPECT_EQ(request.storedBody.substr(check.imageOffset, check.imageSize), image);
}

TEST(UploadCheck, ImageEndingInLineFeedAndEmptyPasswordAreExact) {
    WireRequest request = WireRequest::Good(Image(1000) + "\n", "");
    const UploadCheck check = request.Check("");
    EXPECT_TRUE(check.differences.empty());
    EXPECT_EQ(check.imageSize, 1001u);
    EXPECT_EQ(request.headers[10], "Authorization: Basic Og==");
}

struct Mutation {
    const char* name;
    std::function<void(WireRequest&)> change;
    std::vector<std::string> kinds;  // every difference expected, in report order
    std::string checkPassword = "rodel";
};

class UploadDifference : public testing::TestWithParam<Mutation> {};

TEST_P(UploadDifference, IsReportedAndNothingElse) {
    WireRequest request = WireRequest::Good(Image(5000));
    GetParam().change(request);
    const UploadCheck check = request.Check(GetParam().checkPassword);
    EXPECT_EQ(Kinds(check), GetParam().kinds);
}

void ReplaceInBody(WireRequest& r, std::string_view from, std::string_view to) {
    const auto at = r.body.find(from);
    ASSERT_NE(at, std::string::npos);
    r.body.replace(at, from.size(), to);
}

// Keeps Content-Length in step with a body whose size a mutation changed.
void Reannounce(WireRequest& r) {
    r.headers[7] = "Content-Length: " + std::to_string(r.body.size());
}

const Mutation kMutations[] = {
    {"NoSlashInTarget",
     [](WireRequest& r) { r.requestLine = "POST upgrade.cgi HTTP/1.0"; },
     {"request-line"}},
    {"Http11", [](WireRequest& r) { r.requestLine = "POST /upgrade.cgi HTTP/1.1"; }, {"request-line"}},
    {"BareLineFeeds", [](WireRequest& r) { r.lineEnd = "\n"; }, {"line-end"}},
    {"LanguageChanged", [](WireRequest& r) { r.headers[2] = "Accept-Language: en-us"; }, {"header"}},
    {"HostWithPort", [](WireRequest& r) { r.headers[6] = "Host: 192.168.1.1:80"; }, {"header"}},
    {"RefererOfAnotherAddress",
     [](WireRequest& r) { r.headers[1] = "Referer: http://192.168.1.2/Upgrade.asp"; },
     {"header"}},
    {"TwoFieldsSwapped", [](WireRequest& r) { std::swap(r.headers[8], r.headers[9]); }, {"header", "header"}},
    {"TrailingBlankOnValue", [](WireRequest& r) { r.headers[9] += " "; }, {"header"}},
    {"LastFieldMissing", [](WireRequest& r) { r.headers.pop_back(); }, {"missing-header", "credential"}},
    {"FieldAdded", [](WireRequest& r) { r.headers.push_back("Pragma: no-cache"); }, {"extra-header"}},
    {"WrongPassword",
     [](WireRequest& r) { r.headers[10] = "Authorization: Basic " + EncodeBase64(":admin"); },
     {"header", "credential"}},
    {"UserNameGiven",
     [](WireRequest& r) { r.headers[10] = "Authorization: Basic " + EncodeBase64("admin:rodel"); },
     {"header", "credential"}},
    {"AnnouncesMoreThanSent",
     [](WireRequest& r) {
         r.announce = r.body.size() + 10;
         r.headers[7] = "Content-Length: " + std::to_string(*r.announce);
     },
     {"header", "body-short"}},
    {"LineFeedAfterClosingDelimiterNotAnnounced",
     [](WireRequest& r) { r.extra = "\n"; },
     {"header", "extra-bytes"}},
    {"LineFeedAfterClosingDelimiterAnnounced",
     [](WireRequest& r) {
         r.body += "\n";
         Reannounce(r);
     },
     {"body-tail"}},
    {"OtherFileName",
     [](WireRequest& r) {
         ReplaceInBody(r, "C:\\sample_code.bin", "C:\\ZPR8800N_2.00.22.bin");
         Reannounce(r);
     },
     {"body-head"}},
    {"CrLfInsideBody",
     [](WireRequest& r) {
         ReplaceInBody(r, "Upgrade\n", "Upgrade\r\n");
         Reannounce(r);
     },
     {"body-head"}},
    {"ProcessFieldMissing",
     [](WireRequest& r) {
         ReplaceInBody(r, "name=\"process\"", "name=\"proc\"");
         Reannounce(r);
     },
     {"body-tail"}},
    {"BodyTooSmall",
     [](WireRequest& r) {
         r.body = r.body.substr(0, 300);
         Reannounce(r);
     },
     {"body-too-small", "body-head"}},
};

INSTANTIATE_TEST_SUITE_P(Kinds, UploadDifference, testing::ValuesIn(kMutations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UploadCheck, NamesWhereTheBodyDiffers) {
    WireRequest request = WireRequest::Good(Image(2000));
    request.body[452 + 2000 + 5] = 'X';  // inside the first delimiter after the image
    const UploadCheck check = request.Check();
    ASSERT_EQ(Kinds(check), std::vector<std::string>{"body-tail"});
    EXPECT_EQ(check.differences[0].offset, 452 + 2000 + 5);
    EXPECT_EQ(check.differences[0].actual.substr(0, 6), "-----X");
}

TEST(UploadCheck, HeaderDifferenceCarriesBothLinesAndItsIndex) {
    WireRequest request = WireRequest::Good(Image(100));
    request.headers[4] = "Accept-Encoding: identity";
    const UploadCheck check = request.Check();
    ASSERT_EQ(check.differences.size(), 1u);
    EXPECT_EQ(check.differences[0].index, 4);
    EXPECT_EQ(check.differences[0].expected, "Accept-Encoding: gzip, deflate");
    EXPECT_EQ(check.differences[0].actual, "Accept-Encoding: identity");
}

}  // namespace
}  // namespace fwu::sim
