// What the program tells about the firmware it carries, for --version and --image-info: the version
// block's texts, the image header's date and version, the image's size and SHA-256, and whether the image
// is intact. Reads only the program's own file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/ExitCode.h"
#include "package/FirmwarePackage.h"
#include "platform/EmbeddedPayload.h"

namespace fwu::cli {

struct CarriedImage {
    platform::PayloadStatus status = platform::PayloadStatus::Unreadable;
    FirmwareInfo info;      // the block's texts always; the date and version only for an intact image
    std::int64_t size = 0;  // bytes of an intact image
    std::string sha256;     // lower-case hex of an intact image's digest
};

// The report of a payload as read from a program file, with that program's version block.
CarriedImage InspectImage(const platform::Payload& payload, const VersionBlockBytes& block);

// The report of the running program's own image.
CarriedImage InspectOwnImage();

// Why an image cannot be used; empty for an intact one.
std::string_view DamageReason(platform::PayloadStatus status);

// The text of --image-info (every field on its own line, the digest's verdict last) and its exit status:
// Success for an intact image, ImageDamaged otherwise. Texts from the block are shown with every byte
// outside printable ASCII replaced by "?", so a packed block cannot send control sequences to a terminal.
struct ImageInfoReport {
    std::string text;
    ExitCode exitCode = ExitCode::ImageDamaged;
};
ImageInfoReport FormatImageInfo(const CarriedImage& image);

// The two lines of --version: the program's version, then the carried image's.
std::string FormatVersion(std::string_view appVersion, const CarriedImage& image);

}  // namespace fwu::cli
