#include "package/FirmwarePackage.h"

#include <array>
#include <cstdio>

#include "platform/EmbeddedPayload.h"

namespace fwu {
namespace {

constexpr std::array<std::string_view, 13> kMonths{"",    "JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                   "JUL", "AUG", "SET", "OCT", "NOV", "DEC"};

std::string Field(const VersionBlockBytes& block, std::size_t offset) {
    std::string text;
    for (std::size_t i = 0; i < kVersionFieldWidth && block[offset + i] != 0; ++i) {
        text.push_back(static_cast<char>(block[offset + i]));
    }
    return text;
}

}  // namespace

std::optional<FirmwareHeader> ParseFirmwareHeader(ByteView image) {
    if (image.size() < kFirmwareHeaderEnd) {
        return std::nullopt;
    }
    const auto byte = [&](std::size_t i) { return image[i]; };
    return FirmwareHeader{byte(8), byte(9), byte(10), byte(11), byte(12), byte(13)};
}

std::string_view MonthName(int month) {
    return month >= 1 && month <= 12 ? kMonths[static_cast<std::size_t>(month)] : std::string_view{};
}

std::string FormatFirmwareDate(const FirmwareHeader& header) {
    char text[64];
    const std::string month(MonthName(header.month));
    std::snprintf(text, sizeof text, "%s %.2d, 2%.3d", month.c_str(), header.day, header.year);
    return text;
}

std::string FormatUtilityVersion(const FirmwareHeader& header) {
    char text[32];
    if (header.build != 0) {
        std::snprintf(text, sizeof text, "v%d.%.2d.%.2d", header.major, header.minor, header.build);
    } else {
        std::snprintf(text, sizeof text, "v%d.%.2d", header.major, header.minor);
    }
    return text;
}

VersionTexts ReadVersionTexts(const VersionBlockBytes& block) {
    return {Field(block, kFileNameOffset), Field(block, kModelOffset), Field(block, kReleaseDateOffset)};
}

FirmwareInfo DeriveFirmwareInfo(ByteView image, const VersionBlockBytes& block) {
    FirmwareInfo info;
    if (const auto header = ParseFirmwareHeader(image)) {
        info.firmwareDate = FormatFirmwareDate(*header);
        info.utilityVersion = FormatUtilityVersion(*header);
    }
    VersionTexts texts = ReadVersionTexts(block);
    info.model = std::move(texts.model);
    info.releaseDate = std::move(texts.releaseDate);
    info.fileName = std::move(texts.fileName);
    return info;
}

FirmwareInfo LoadFirmwareInfo() {
    // A damaged or missing image leaves the date and version empty; the block's texts still show.
    const platform::Payload payload = platform::ReadOwnPayload();
    const ByteView image =
        payload.status == platform::PayloadStatus::Ok ? ByteView(payload.data) : ByteView();
    return DeriveFirmwareInfo(image, ReadOwnVersionBlock());
}

int CompareVersionText(std::string_view r, std::string_view u) {
    // A position at or past the end reads as NUL, which sorts below '0' and is no digit.
    const auto at = [](std::string_view s, std::size_t i) -> unsigned char {
        return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
    };
    const auto digit = [](unsigned char c) { return c >= '0' && c <= '9'; };
    const std::size_t n = std::min(r.size(), u.size());
    std::size_t i = 0;
    while (i < n && r[i] == u[i]) {
        ++i;
    }
    if (i == n) {
        return r.size() == u.size() ? 0 : (r.size() > u.size() ? -1 : 1);
    }
    const bool sameLength = r.size() == u.size();
    const bool routerLonger = r.size() > u.size();
    const std::size_t j = i + 1;
    if (at(r, i) < at(u, i)) {
        if (sameLength) {
            return 1;
        }
        if (j >= n) {
            return routerLonger ? (digit(at(r, j)) ? -1 : 1) : 1;
        }
        if (digit(at(r, j)) && digit(at(u, j))) {
            return 1;
        }
        if (!digit(at(r, j))) {
            return 1;
        }
        if (at(r, i) != '0') {
            return -1;
        }
        return at(r, j) >= at(u, i) ? -1 : 1;
    }
    if (sameLength) {
        return -1;
    }
    if (j >= n) {
        return routerLonger ? -1 : (digit(at(u, j)) ? 1 : -1);
    }
    if (digit(at(r, j)) && digit(at(u, j))) {
        return -1;
    }
    if (!digit(at(u, j))) {
        return -1;
    }
    if (at(u, i) != '0') {
        return 1;
    }
    return at(r, i) >= at(u, j) ? -1 : 1;
}

}  // namespace fwu
