#include "tools/brindlepak/Packer.h"

#include <algorithm>
#include <cstring>

#include "platform/EmbeddedPayload.h"

namespace fwu::pack {
namespace {

constexpr qsizetype kMinImageSize = 100;

void WriteField(QByteArray& program, qsizetype offset, const std::string& text) {
    char* field = program.data() + offset;
    std::memset(field, 0, kVersionFieldWidth);
    std::memcpy(field, text.data(), text.size());
}

PackResult Refuse(std::string error) {
    PackResult result;
    result.error = std::move(error);
    return result;
}

}  // namespace

qsizetype FindVersionBlock(QByteArrayView program, std::string& error) {
    const QByteArrayView start(kStartMarker.data(), static_cast<qsizetype>(kStartMarker.size()));
    const QByteArrayView end(kEndMarker.data(), static_cast<qsizetype>(kEndMarker.size()));
    qsizetype found = -1;
    int count = 0;
    for (qsizetype at = program.indexOf(start); at >= 0; at = program.indexOf(start, at + 1)) {
        const qsizetype endAt = at + static_cast<qsizetype>(kEndMarkerOffset);
        if (endAt + end.size() <= program.size() && program.sliced(endAt, end.size()) == end) {
            found = at;
            ++count;
        }
    }
    if (count == 0) {
        error = "no version block found in the program";
        return -1;
    }
    if (count > 1) {
        error = "the program holds more than one version block";
        return -1;
    }
    return found;
}

std::string CheckFieldText(std::string_view what, std::string_view text) {
    if (text.size() >= kVersionFieldWidth) {
        return std::string(what) + " is longer than 47 bytes";
    }
    const bool printable =
        std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
    return printable ? std::string() : std::string(what) + " holds a byte that is not printable ASCII";
}

PackResult Pack(const PackInput& input) {
    for (const auto& [what, text] : {std::pair<std::string_view, const std::string&>{"model", input.model},
                                     {"release date", input.releaseDate},
                                     {"file name", input.fileName}}) {
        if (std::string problem = CheckFieldText(what, text); !problem.empty()) {
            return Refuse(problem);
        }
    }
    if (input.image.size() < kMinImageSize) {
        return Refuse("the image is shorter than 100 bytes");
    }
    const auto header = ParseFirmwareHeader(input.image);
    if (!header || header->month < 1 || header->month > 12 || header->day < 1 || header->day > 31) {
        return Refuse("the image has no firmware header (date bytes 8 to 10 are not a date)");
    }
    if (input.image.size() > platform::kMaxPayloadSize) {
        return Refuse("the image is larger than 64 MiB");
    }
    const platform::Payload old = platform::SplitPackedBytes(input.program);
    if (old.status == platform::PayloadStatus::Damaged ||
        old.status == platform::PayloadStatus::DigestMismatch) {
        return Refuse("the program's carried image is damaged");
    }
    QByteArray program = input.program.first(old.programSize);
    std::string error;
    const qsizetype block = FindVersionBlock(program, error);
    if (block < 0) {
        return Refuse(error);
    }
    WriteField(program, block + static_cast<qsizetype>(kFileNameOffset), input.fileName);
    WriteField(program, block + static_cast<qsizetype>(kModelOffset), input.model);
    WriteField(program, block + static_cast<qsizetype>(kReleaseDateOffset), input.releaseDate);

    PackResult result;
    VersionBlockBytes written{};
    std::memcpy(written.data(), program.constData() + block, written.size());
    result.written = DeriveFirmwareInfo(input.image, written);
    result.output = std::move(program);
    result.output += input.image;
    result.output += platform::MakePayloadTrailer(input.image);
    result.ok = true;
    return result;
}

}  // namespace fwu::pack
