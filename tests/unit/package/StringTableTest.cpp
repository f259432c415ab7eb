// The string table's texts are sent to the router byte for byte; their lengths are fixed by the router's
// form, so a typo in a literal shows up here as a wrong length or a wrong byte.
#include <gtest/gtest.h>

#include <string>

#include "res/StringTable.h"

namespace fwu {
namespace {

TEST(StringTable, ProtocolTextsHaveTheirExactLengths) {
    EXPECT_EQ(LoadString(IDS_STATUS_REQUEST).size(), 48u);
    EXPECT_EQ(LoadString(IDS_BODY_HEAD).size(), 392u);
    EXPECT_EQ(LoadString(IDS_BODY_FILE_TYPE).size(), 42u);
    EXPECT_EQ(LoadString(IDS_BODY_TAIL).size(), 136u);
    // Body head as sent: the form fields, the fixed file name, the content type: 392 + 18 + 42.
    const std::string head = std::string(LoadString(IDS_BODY_HEAD)) + "C:\\sample_code.bin" +
                             std::string(LoadString(IDS_BODY_FILE_TYPE));
    EXPECT_EQ(head.size(), 452u);
}

TEST(StringTable, RequestTextsUseSingleLineFeedsAndNoCarriageReturn) {
    for (int id = IDS_BODY_HEAD; id <= IDS_HEADER_AUTH; ++id) {
        const std::string_view text = LoadString(id);
        ASSERT_FALSE(text.empty()) << id;
        EXPECT_EQ(text.find('\r'), std::string_view::npos) << id;
    }
    EXPECT_EQ(LoadString(IDS_STATUS_REQUEST), "GET /SysInfo.htm HTTP/1.1\r\nAuthorization: Basic ");
}

TEST(StringTable, DelimitersCarryTheBoundaryWithTwoMoreHyphens) {
    const std::string delimiter = "-----------------------------7d6334282094a";
    const std::string_view tail = LoadString(IDS_BODY_TAIL);
    EXPECT_EQ(tail.substr(0, delimiter.size()), delimiter);
    EXPECT_EQ(tail.substr(tail.size() - delimiter.size() - 2), delimiter + "--");
    EXPECT_NE(LoadString(IDS_HEADER_HOST).find("boundary=" + delimiter.substr(2) + "\n"),
              std::string_view::npos);
}

TEST(StringTable, UserTextsAreExact) {
    EXPECT_EQ(LoadString(IDS_APP_TITLE), "Firmware Upgrade Utility");
    EXPECT_EQ(LoadString(IDS_DEFAULT_ROUTER), "192.168.1.1");
    EXPECT_EQ(LoadString(IDS_ABOUTBOX), "&About kvel...");
    EXPECT_EQ(LoadString(IDS_WRITING_FLASH), "Writing to the Flash... please wait a moment...");
    // The blank before the line feed belongs to the question.
    EXPECT_NE(LoadString(IDS_ASK_DOWNGRADE).find("utility. \nIf you"), std::string_view::npos);
    EXPECT_EQ(LoadString(IDS_ROUTER_NOT_FOUND).substr(0, 23), "Can't find the Router.\n");
}

TEST(StringTable, UnknownIdGivesEmptyText) {
    EXPECT_TRUE(LoadString(0).empty());
    EXPECT_TRUE(LoadString(32001).empty());
}

}  // namespace
}  // namespace fwu
