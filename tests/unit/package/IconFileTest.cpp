// The Windows icon made from the package's pictures: each directory entry names its picture's side, size
// and place, and a picture an icon entry cannot hold is refused with the reason.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/icon-pack/IconFile.h"

namespace {

using fwu::Bytes;

// A PNG signature and IHDR chunk start for a width x height picture, then a few bytes of body.
Bytes PngHeader(std::uint32_t width, std::uint32_t height, std::size_t body = 5) {
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            png.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    }
    png.resize(png.size() + body, 0xAB);
    return png;
}

std::uint32_t Le(const Bytes& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) {
        v = v << 8 | b[at + static_cast<std::size_t>(i)];
    }
    return v;
}

TEST(IconFile, EntriesNameEachPictureAndItsPlace) {
    const std::vector<Bytes> pictures{PngHeader(16, 16, 3), PngHeader(256, 256, 40), PngHeader(48, 48, 0)};
    std::string error;
    const auto icon = fwu::tools::MakeIconFile(pictures, error);
    ASSERT_TRUE(icon) << error;
    EXPECT_EQ(Le(*icon, 2, 2), 1u);
    ASSERT_EQ(Le(*icon, 4, 2), 3u);
    std::size_t place = 6 + 16 * 3;
    const int sides[] = {16, 0 /* 256 */, 48};
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const std::size_t entry = 6 + 16 * i;
        EXPECT_EQ((*icon)[entry], sides[i]) << i;
        EXPECT_EQ((*icon)[entry + 1], sides[i]) << i;
        EXPECT_EQ(Le(*icon, entry + 8, 4), pictures[i].size()) << i;
        ASSERT_EQ(Le(*icon, entry + 12, 4), place) << i;
        EXPECT_TRUE(
            std::equal(pictures[i].begin(), pictures[i].end(), icon->begin() + static_cast<long>(place)));
        place += pictures[i].size();
    }
    EXPECT_EQ(icon->size(), place);
}

TEST(IconFile, RefusesWhatAnEntryCannotHold) {
    Bytes notPng = PngHeader(32, 32);
    notPng[1] = 'J';
    Bytes cutOff = PngHeader(32, 32);
    cutOff.resize(20);
    const struct {
        Bytes picture;
        const char* reason;
    } cases[] = {
        {notPng, "not a PNG stream"},        {cutOff, "not a PNG stream"},
        {PngHeader(32, 16), "not a square"}, {PngHeader(512, 512), "not a square"},
        {PngHeader(0, 0), "not a square"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(fwu::tools::MakeIconFile({PngHeader(16, 16), c.picture}, error));
        EXPECT_NE(error.find(std::string("picture 2 is ") + c.reason), std::string::npos) << error;
    }
}

}  // namespace
