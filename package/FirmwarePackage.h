// The firmware the program carries: the image appended to the executable and the version block in its
// data. Reads both and derives the texts the window shows (model, dates, version); compares versions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Bytes.h"
#include "res/VersionBlock.h"

namespace fwu {

// Bytes 8 to 13 of the image.
struct FirmwareHeader {
    std::uint8_t year = 0;   // year minus 2000
    std::uint8_t month = 0;  // 1 to 12
    std::uint8_t day = 0;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::uint8_t build = 0;  // 0: the version has two parts
};
inline constexpr std::size_t kFirmwareHeaderEnd = 14;

// The three texts of a version block.
struct VersionTexts {
    std::string fileName;
    std::string model;
    std::string releaseDate;
};

// Everything the window shows of the carried firmware.
struct FirmwareInfo {
    std::string firmwareDate;    // "NOV 27, 2006"; empty without a readable image
    std::string utilityVersion;  // "v2.00.22"; empty without a readable image
    std::string model;
    std::string releaseDate;
    std::string fileName;
};

// The header of an image, or nothing when the image is shorter than 14 bytes.
std::optional<FirmwareHeader> ParseFirmwareHeader(ByteView image);

// Three-letter month name for 1 to 12 (9 is "SET"); empty for anything else.
std::string_view MonthName(int month);

std::string FormatFirmwareDate(const FirmwareHeader& header);
std::string FormatUtilityVersion(const FirmwareHeader& header);

// The texts of a block; each field is read up to its first NUL, never past its 48 bytes.
VersionTexts ReadVersionTexts(const VersionBlockBytes& block);

// The texts derived from an image (possibly empty or short) and a version block.
FirmwareInfo DeriveFirmwareInfo(ByteView image, const VersionBlockBytes& block);

// The texts of the program's own carried image and version block.
FirmwareInfo LoadFirmwareInfo();

// Compares the router's version text with the utility's: -1 when the router's counts as newer, 0 equal,
// +1 when the utility's counts as newer. The first differing character decides, except that a run of
// digits that goes on where the other has ended counts as the larger number.
int CompareVersionText(std::string_view router, std::string_view utility);

}  // namespace fwu
