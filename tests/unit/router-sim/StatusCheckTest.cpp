// The router's check of the status request: the exact bytes, and the credential decision apart from them.
#include <gtest/gtest.h>

#include "res/StringTable.h"
#include "tools/router-sim/RequestCheck.h"

namespace fwu::sim {
namespace {

std::vector<std::string> Kinds(const StatusCheck& check) {
    std::vector<std::string> kinds;
    for (const auto& d : check.differences) {
        kinds.push_back(d.kind);
    }
    return kinds;
}

TEST(StatusCheck, ExactRequestIsAcceptedWithoutDifference) {
    const std::string request = std::string(LoadString(IDS_STATUS_REQUEST)) + "OnJvZGVs\r\n\r\n";
    EXPECT_EQ(request, "GET /SysInfo.htm HTTP/1.1\r\nAuthorization: Basic OnJvZGVs\r\n\r\n");
    const StatusCheck check = CheckStatusRequest(request, "", "rodel");
    EXPECT_EQ(check.credential, CredentialVerdict::Accepted);
    EXPECT_TRUE(check.differences.empty());
}

TEST(StatusCheck, WrongPasswordIsRefusedAndShowsWhereTheBytesDiffer) {
    const std::string request = "GET /SysInfo.htm HTTP/1.1\r\nAuthorization: Basic OmFkbWlu\r\n\r\n";
    const StatusCheck check = CheckStatusRequest(request, "", "rodel");
    EXPECT_EQ(check.credential, CredentialVerdict::WrongPassword);
    EXPECT_EQ(Kinds(check), (std::vector<std::string>{"request", "credential"}));
    EXPECT_EQ(check.differences[0].offset, 49);  // first differing Base64 character
}

TEST(StatusCheck, AddedHostFieldIsADifferenceButTheCredentialStillCounts) {
    const std::string request =
        "GET /SysInfo.htm HTTP/1.1\r\nHost: 192.168.1.1\r\nAuthorization: Basic OnJvZGVs\r\n\r\n";
    const StatusCheck check = CheckStatusRequest(request, "", "rodel");
    EXPECT_EQ(check.credential, CredentialVerdict::Accepted);
    EXPECT_EQ(Kinds(check), std::vector<std::string>{"request"});
}

TEST(StatusCheck, MissingAuthorizationAndBytesAfterTheRequestAreReported) {
    const StatusCheck check = CheckStatusRequest("GET /SysInfo.htm HTTP/1.1\r\n\r\n", "x", "rodel");
    EXPECT_EQ(check.credential, CredentialVerdict::Missing);
    EXPECT_EQ(Kinds(check), (std::vector<std::string>{"request", "extra-bytes", "credential"}));
}

}  // namespace
}  // namespace fwu::sim
