// The router's own Base64 and its judgement of the Basic credential.
#include <gtest/gtest.h>

#include "tools/router-sim/BasicAuth.h"

namespace fwu::sim {
namespace {

TEST(Base64, Rfc4648VectorsRoundTrip) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(EncodeBase64(plain), encoded);
        EXPECT_EQ(DecodeBase64(encoded), plain);
    }
    EXPECT_EQ(EncodeBase64(std::string("\xFF\xFE\x80", 3)), "//6A");
}

TEST(Base64, DecodingRejectsAnythingNotStrictlyEncoded) {
    for (const char* bad : {"Zg=", "Zg", "Z===", "Zg==Zg==", "Zm9v!A==", "Zh==", "Zm9=", "Zm 9v"}) {
        EXPECT_FALSE(DecodeBase64(bad)) << bad;
    }
}

TEST(BasicCredential, Verdicts) {
    const struct {
        std::optional<std::string> field;
        const char* password;
        CredentialVerdict verdict;
    } cases[] = {
        {"Basic OnJvZGVs", "rodel", CredentialVerdict::Accepted},
        {"basic  OnJvZGVs", "rodel", CredentialVerdict::Accepted},
        {"Basic Og==", "", CredentialVerdict::Accepted},
        {"Basic " + EncodeBase64(":\xE9t\xE9"), "\xE9t\xE9", CredentialVerdict::Accepted},
        {std::nullopt, "rodel", CredentialVerdict::Missing},
        {"", "rodel", CredentialVerdict::Missing},
        {"Digest OnJvZGVs", "rodel", CredentialVerdict::NotBasic},
        {"OnJvZGVs", "rodel", CredentialVerdict::NotBasic},
        {"Basic OnJvZGV", "rodel", CredentialVerdict::NotBase64},
        {"Basic " + EncodeBase64("rodel"), "rodel", CredentialVerdict::NoColon},
        {"Basic " + EncodeBase64("admin:rodel"), "rodel", CredentialVerdict::UserNotEmpty},
        {"Basic " + EncodeBase64(":rodel "), "rodel", CredentialVerdict::WrongPassword},
        {"Basic OnJvZGVs", "", CredentialVerdict::WrongPassword},
    };
    for (const auto& c : cases) {
        const auto field = c.field ? std::optional<std::string_view>(*c.field) : std::nullopt;
        EXPECT_EQ(CheckBasicCredential(field, c.password), c.verdict) << c.field.value_or("(none)");
    }
}

}  // namespace
}  // namespace fwu::sim
