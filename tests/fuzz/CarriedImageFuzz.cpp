// The carried image's trailer and the version block's texts, read from the input as a whole program
// file; then the input packed as program and image must read back exactly, and not at all once damaged.
#include <QByteArray>
#include <algorithm>
#include <cstring>

#include "package/FirmwarePackage.h"
#include "platform/EmbeddedPayload.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using fwu::platform::PayloadStatus;

void CheckSplit(QByteArrayView file) {
    const fwu::platform::Payload p = fwu::platform::SplitPackedBytes(file);
    FUZZ_CHECK(p.status != PayloadStatus::Unreadable);
    if (p.status != PayloadStatus::Ok) {
        FUZZ_CHECK(p.data.isEmpty());
        FUZZ_CHECK(p.programSize >= 0 && p.programSize <= file.size());
        return;
    }
    FUZZ_CHECK(p.programSize + p.data.size() + fwu::platform::kPayloadTrailerSize == file.size());
    FUZZ_CHECK(p.data == file.sliced(p.programSize, p.data.size()));
    FUZZ_CHECK(fwu::platform::MakePayloadTrailer(p.data) == file.last(fwu::platform::kPayloadTrailerSize));
}

void CheckRoundTrip(QByteArrayView input) {
    // The first byte says where the program ends and the image begins.
    const qsizetype cut = std::min<qsizetype>(static_cast<unsigned char>(input[0]), input.size());
    const QByteArrayView program = input.first(cut);
    const QByteArrayView image = input.sliced(cut);
    QByteArray packed =
        program.toByteArray() + image.toByteArray() + fwu::platform::MakePayloadTrailer(image);

    fwu::platform::Payload p = fwu::platform::SplitPackedBytes(packed);
    FUZZ_CHECK(p.status == PayloadStatus::Ok && p.programSize == program.size() && p.data == image);

    if (!image.isEmpty()) {
        packed[cut + image.size() / 2] = static_cast<char>(packed[cut + image.size() / 2] ^ 0x01);
        p = fwu::platform::SplitPackedBytes(packed);
        FUZZ_CHECK(p.status == PayloadStatus::DigestMismatch && p.data.isEmpty());
    }
}

void CheckVersionBlock(QByteArrayView input) {
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
    const QByteArrayView input(data, static_cast<qsizetype>(size));
    CheckSplit(input);
    CheckVersionBlock(input);
    if (size > 0) {
        CheckRoundTrip(input);
    }
    return 0;
}
