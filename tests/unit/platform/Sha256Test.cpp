// The digest the carried image is checked against: known digests, and the same digest however the bytes
// are fed in pieces (the padding's edges at 55, 56 and 64 bytes included).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Sha256.h"

namespace fwu::platform {
namespace {

TEST(Sha256, KnownDigests) {
    struct Case {
        std::string input;
        const char* digest;
    };
    const std::vector<Case> cases = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmno"
         "pqrst"
         "nopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1'000'000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input.substr(0, 20));
        EXPECT_EQ(HexDigest(Sha256Of(AsBytes(c.input))), c.digest);
    }
}

TEST(Sha256, PiecesGiveTheDigestOfTheWhole) {
    for (const std::size_t length : {0u, 1u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u}) {
        Bytes bytes(length);
        for (std::size_t i = 0; i < length; ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
        }
        const Sha256Digest whole = Sha256Of(bytes);
        for (const std::size_t piece : {1u, 7u, 64u, 65u}) {
            SCOPED_TRACE(std::to_string(length) + " bytes in pieces of " + std::to_string(piece));
            Sha256 hash;
            for (std::size_t at = 0; at < length; at += piece) {
                hash.Add(ByteView(bytes).subspan(at, std::min(piece, length - at)));
            }
            EXPECT_EQ(hash.Finish(), whole);
        }
    }
    // One changed byte changes the digest.
    Bytes bytes(200, 0x55);
    const Sha256Digest before = Sha256Of(bytes);
    bytes[199] ^= 1;
    EXPECT_NE(Sha256Of(bytes), before);
}

}  // namespace
}  // namespace fwu::platform
