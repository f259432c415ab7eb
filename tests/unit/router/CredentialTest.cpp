// The Basic credential and its Base64 encoder.
#include <gtest/gtest.h>

#include <string>

#include "router/Credential.h"

namespace fwu {
namespace {

std::string Encode(const std::string& bytes) {
    return Base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

TEST(Base64Encode, Rfc4648Vectors) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(Encode(input), expected) << input;
    }
}

TEST(Base64Encode, HighBytesAreUnsignedOctets) {
    EXPECT_EQ(Encode("\xFF\xFE\x80"), "//6A");
    EXPECT_EQ(Encode("\x80"), "gA==");
    EXPECT_EQ(Encode("\xE9t\xE9"), "6XTp");
    EXPECT_EQ(Encode(std::string("\x00\xFF", 2)), "AP8=");
}

TEST(Base64Encode, LongInputHasNoLineBreaks) {
    std::string all;
    for (int i = 0; i < 256; ++i) {
        all += static_cast<char>(i);
    }
    const std::string text = Encode(all);
    EXPECT_EQ(text.size(), 344u);  // 4 * ceil(256 / 3)
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(0, 8), "AAECAwQF");
    EXPECT_EQ(text.substr(text.size() - 8), "/P3+/w==");
}

TEST(BuildBasicCredential, EmptyUserNameColonAndPassword) {
    std::string credential;
    ASSERT_TRUE(BuildBasicCredential("", credential));
    EXPECT_EQ(credential, "Og==");  // ":" alone
    ASSERT_TRUE(BuildBasicCredential("admin", credential));
    EXPECT_EQ(credential, "OmFkbWlu");
    ASSERT_TRUE(BuildBasicCredential("p\xE4ss", credential));
    EXPECT_EQ(credential, Encode(":p\xE4ss"));
}

TEST(BuildBasicCredential, LongestPasswordFitsAndOneMoreIsRefused) {
    std::string credential;
    ASSERT_TRUE(BuildBasicCredential(std::string(kMaxPasswordBytes, 'x'), credential));
    EXPECT_EQ(credential.size(), 252u);

    credential = "stale";
    EXPECT_FALSE(BuildBasicCredential(std::string(kMaxPasswordBytes + 1, 'x'), credential));
    EXPECT_TRUE(credential.empty());
}

}  // namespace
}  // namespace fwu
