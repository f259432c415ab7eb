// Texts derived from the image header and the version block, and the version comparison that decides
// whether the user is asked before a downgrade.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "package/FirmwarePackage.h"

namespace fwu {
namespace {

Bytes ImageWithHeader(std::initializer_list<unsigned char> header, std::size_t size = 64) {
    Bytes image(size, 0x5A);
    std::size_t i = 8;
    for (unsigned char b : header) {
        image[i++] = b;
    }
    return image;
}

VersionBlockBytes Block(const char* fileName, const char* model, const char* date) {
    VersionBlockBytes block{};
    std::memcpy(block.data() + kFileNameOffset, fileName, std::strlen(fileName));
    std::memcpy(block.data() + kModelOffset, model, std::strlen(model));
    std::memcpy(block.data() + kReleaseDateOffset, date, std::strlen(date));
    return block;
}

TEST(FirmwareInfo, ShippedHeaderGivesDateAndThreePartVersion) {
    const FirmwareInfo info =
        DeriveFirmwareInfo(ImageWithHeader({0x06, 0x0B, 0x1B, 0x02, 0x00, 0x16}),
                           Block("ZPR8800N_2.00.22_ETSI_code.bin", "ZPR8800N", "NOV 27,2006"));
    EXPECT_EQ(info.firmwareDate, "NOV 27, 2006");
    EXPECT_EQ(info.utilityVersion, "v2.00.22");
    EXPECT_EQ(info.model, "ZPR8800N");
    EXPECT_EQ(info.releaseDate, "NOV 27,2006");
    EXPECT_EQ(info.fileName, "ZPR8800N_2.00.22_ETSI_code.bin");
}

TEST(FirmwareInfo, VersionAndDateFormats) {
    struct Row {
        FirmwareHeader header;
        const char* version;
        const char* date;
    };
    const Row rows[] = {
        {{6, 11, 27, 2, 1, 0}, "v2.01", "NOV 27, 2006"},   // build 0: two parts
        {{6, 9, 3, 2, 0, 5}, "v2.00.05", "SET 03, 2006"},  // month 9 is SET
        {{25, 1, 1, 10, 99, 100}, "v10.99.100", "JAN 01, 2025"},
        {{255, 12, 31, 255, 255, 255}, "v255.255.255", "DEC 31, 2255"},
        {{6, 0, 1, 1, 0, 0}, "v1.00", " 01, 2006"},   // no month name for 0
        {{6, 13, 1, 1, 0, 0}, "v1.00", " 01, 2006"},  // nor for 13
        {{6, 255, 1, 1, 0, 0}, "v1.00", " 01, 2006"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatUtilityVersion(row.header), row.version);
        EXPECT_EQ(FormatFirmwareDate(row.header), row.date);
    }
}

TEST(FirmwareInfo, ShortOrMissingImageLeavesDateAndVersionEmpty) {
    for (const Bytes& image : {Bytes(), Bytes(13, 0x01)}) {
        const FirmwareInfo info = DeriveFirmwareInfo(image, Block("f.bin", "M", "D"));
        EXPECT_TRUE(info.firmwareDate.empty());
        EXPECT_TRUE(info.utilityVersion.empty());
        EXPECT_EQ(info.model, "M");
        EXPECT_EQ(info.fileName, "f.bin");
    }
    EXPECT_TRUE(ParseFirmwareHeader(Bytes(14, 0)).has_value());
}

TEST(FirmwareInfo, FieldWithoutTerminatorIsReadToItsWidthOnly) {
    VersionBlockBytes block{};
    std::memset(block.data() + kFileNameOffset, 'F', kVersionFieldWidth);
    std::memset(block.data() + kModelOffset, 'M', kVersionFieldWidth);
    const VersionTexts texts = ReadVersionTexts(block);
    EXPECT_EQ(texts.fileName, std::string(kVersionFieldWidth, 'F'));
    EXPECT_EQ(texts.model, std::string(kVersionFieldWidth, 'M'));
    EXPECT_TRUE(texts.releaseDate.empty());
}

TEST(FirmwareInfo, OwnBlockCarriesThisBuildsTexts) {
    const VersionBlockBytes block = ReadOwnVersionBlock();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()), 8), "VERSIONS");
    EXPECT_EQ(block[8], 2);
    EXPECT_EQ(block[9], 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data() + kEndMarkerOffset), 8),
              std::string("ENDING\0\0", 8));
    const VersionTexts texts = ReadVersionTexts(block);
    EXPECT_EQ(texts.fileName, "ZPR8800N_2.00.22_ETSI_code.bin");
    EXPECT_EQ(texts.model, "ZPR8800N");
    EXPECT_EQ(texts.releaseDate, "NOV 27,2006");
}

struct CompareRow {
    const char* router;
    const char* utility;
    int expected;
};

void PrintTo(const CompareRow& row, std::ostream* os) {
    *os << '"' << row.router << "\" vs \"" << row.utility << '"';
}

class CompareVersionTextTest : public testing::TestWithParam<CompareRow> {};

TEST_P(CompareVersionTextTest, DecidesLikeTheRouterVendorsRule) {
    const CompareRow& row = GetParam();
    EXPECT_EQ(CompareVersionText(row.router, row.utility), row.expected)
        << '"' << row.router << "\" vs \"" << row.utility << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareVersionTextTest,
    testing::Values(CompareRow{"v2.00.22", "v2.00.22", 0},    //
                    CompareRow{"", "", 0},                    //
                    CompareRow{"v2.00.23", "v2.00.22", -1},   // router newer: ask
                    CompareRow{"v2.00.22", "v2.00.23", 1},    //
                    CompareRow{"v2.00.3", "v2.00.22", 1},     // utility's digits go on
                    CompareRow{"v2.00.22", "v2.00.3", -1},    // router's digits go on
                    CompareRow{"v2.00.100", "v2.00.22", 1},   // first difference decides: 1 < 2
                    CompareRow{" v2.00.22", "v2.00.22", 1},   // blank-led text is never newer
                    CompareRow{" v9.99.99", "v2.00.22", 1},   //
                    CompareRow{"", "v2.00.22", 1},            // no version read
                    CompareRow{"v2.00.22", "", -1},           //
                    CompareRow{"v2.00.22a", "v2.00.22", -1},  // longer with the same start
                    CompareRow{"v2.00", "v2.00.22", 1},       //
                    CompareRow{"v3.00", "v2.00.22", -1},      // higher major, shorter text
                    CompareRow{"v2.10", "v2.09.99", -1},      //
                    CompareRow{"v2.05.1", "v2.0x.12", 1},     // router digit against non-digit
                    CompareRow{"v2.09.1", "v2.0x.1", 1},      // same length: first difference decides
                    CompareRow{"v2.199", "v2.2x", -1},        // router's run of digits is longer
                    CompareRow{"v2.0.10", "v2.1.0", 1},       //
                    CompareRow{"v1.09", "v1.1", -1},          // router's run goes on
                    CompareRow{"v1.9", "v1.10", 1},           // utility's run goes on
                    CompareRow{"v1.05x1", "v1.5y.", -1},      // router's "0" leads a longer run
                    CompareRow{"v1.02x1", "v1.5y.", 1},       //
                    CompareRow{"v1.5y.", "v1.05x1", -1},      // utility's "0" leads a longer run
                    CompareRow{"v1.5y.", "v1.07x1", 1},       //
                    CompareRow{"v1.5y.", "v1.37x1", 1}));

}  // namespace
}  // namespace fwu
