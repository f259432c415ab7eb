// The carried image's trailer and the version block's texts, read from the input as a whole program
// file; then the input packed as program and image must read back exactly, and not at all once damaged.
#include <algorithm>
#include <cstring>

#include "package/FirmwarePackage.h"
#include "platform/EmbeddedPayload.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using fwu::platform::PayloadStatus;

using fwu::Bytes;
using fwu::ByteView;

bool Same(ByteView a, ByteView b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

void CheckSplit(ByteView file) {
    const fwu::platform::Payload p = fwu::platform::SplitPackedBytes(file);
    const auto fileSize = static_cast<std::int64_t>(file.size());
    FUZZ_CHECK(p.status != PayloadStatus::Unreadable);
    if (p.status != PayloadStatus::Ok) {
        FUZZ_CHECK(p.data.empty());
        FUZZ_CHECK(p.programSize >= 0 && p.programSize <= fileSize);
        return;
    }
    const auto trailerSize = static_cast<std::size_t>(fwu::platform::kPayloadTrailerSize);
    FUZZ_CHECK(p.programSize + static_cast<std::int64_t>(p.data.size()) +
                   fwu::platform::kPayloadTrailerSize ==
               fileSize);
    FUZZ_CHECK(Same(p.data, file.subspan(static_cast<std::size_t>(p.programSize), p.data.size())));
    FUZZ_CHECK(Same(fwu::platform::MakePayloadTrailer(p.data), file.last(trailerSize)));
}

void CheckRoundTrip(ByteView input) {
    // The first byte says where the program ends and the image begins.
    const std::size_t cut = std::min<std::size_t>(input[0], input.size());
    const ByteView program = input.first(cut);
    const ByteView image = input.subspan(cut);
    Bytes packed(input.begin(), input.end());
    const Bytes trailer = fwu::platform::MakePayloadTrailer(image);
    packed.insert(packed.end(), trailer.begin(), trailer.end());

    fwu::platform::Payload p = fwu::platform::SplitPackedBytes(packed);
    FUZZ_CHECK(p.status == PayloadStatus::Ok && p.programSize == static_cast<std::int64_t>(program.size()) &&
               Same(p.data, image));

    if (!image.empty()) {
        packed[cut + image.size() / 2] ^= 0x01;
        p = fwu::platform::SplitPackedBytes(packed);
        FUZZ_CHECK(p.status == PayloadStatus::DigestMismatch && p.data.empty());
    }
}

void CheckVersionBlock(ByteView input) {
    fwu::VersionBlockBytes block{};
    std::memcpy(block.data(), input.data(), std::min<std::size_t>(block.size(), input.size()));
    const fwu::FirmwareInfo info = fwu::DeriveFirmwareInfo(input, block);

    // Each text is its field up to the first NUL, never more than the field's 48 bytes.
    const auto fieldText = [&](std::size_t offset) {
        const auto begin = block.begin() + static_cast<std::ptrdiff_t>(offset);
        const auto end = std::find(begin, begin + fwu::kVersionFieldWidth, 0);
        return std::string(begin, end);
    };
    FUZZ_CHECK(info.fileName == fieldText(fwu::kFileNameOffset));
    FUZZ_CHECK(info.model == fieldText(fwu::kModelOffset));
    FUZZ_CHECK(info.releaseDate == fieldText(fwu::kReleaseDateOffset));

    // Date and version come from the image header alone, in their short fixed forms.
    const bool header = input.size() >= fwu::kFirmwareHeaderEnd;
    FUZZ_CHECK(info.firmwareDate.empty() != header && info.utilityVersion.empty() != header);
    FUZZ_CHECK(info.firmwareDate.size() <= 13 && info.utilityVersion.size() <= 12);
    FUZZ_CHECK(!header || info.utilityVersion[0] == 'v');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteView input(data, size);
    CheckSplit(input);
    CheckVersionBlock(input);
    if (size > 0) {
        CheckRoundTrip(input);
    }
    return 0;
}
