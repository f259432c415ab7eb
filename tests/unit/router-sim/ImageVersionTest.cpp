// The version the router reports after installing an image, read from the image's header.
#include <gtest/gtest.h>

#include "tools/router-sim/ImageVersion.h"

namespace fwu::sim {
namespace {

std::string Header(unsigned char b11, unsigned char b12, unsigned char b13) {
    std::string image(32, 'x');
    image[11] = static_cast<char>(b11);
    image[12] = static_cast<char>(b12);
    image[13] = static_cast<char>(b13);
    return image;
}

TEST(ImageVersion, ThreePartsTwoPartsAndTooShort) {
    EXPECT_EQ(VersionFromImageHeader(Header(2, 0, 22)), "v2.00.22");
    EXPECT_EQ(VersionFromImageHeader(Header(1, 5, 3)), "v1.05.03");
    EXPECT_EQ(VersionFromImageHeader(Header(2, 10, 0)), "v2.10");
    EXPECT_EQ(VersionFromImageHeader(Header(255, 255, 255)), "v255.255.255");
    EXPECT_EQ(VersionFromImageHeader(Header(2, 0, 22).substr(0, 14)), "v2.00.22");
    EXPECT_FALSE(VersionFromImageHeader(Header(2, 0, 22).substr(0, 13)));
}

}  // namespace
}  // namespace fwu::sim
