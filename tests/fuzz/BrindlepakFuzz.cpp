// The packing tool's block search and packing over a program, an image and three texts taken from the
// input. Layout: three length bytes (model, release date, file name; each modulo 64), two bytes of image
// length (little-endian), the three texts, the image, and the rest is the program.
#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/EmbeddedPayload.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/unit/support/QtBytes.h"
#include "tools/brindlepak/Packer.h"

namespace {

QByteArrayView Take(QByteArrayView& input, qsizetype n) {
    const QByteArrayView part = input.first(std::min(n, input.size()));
    input = input.sliced(part.size());
    return part;
}

std::string TakeText(QByteArrayView& input, qsizetype n) {
    const QByteArrayView part = Take(input, n);
    return std::string(part.data(), static_cast<std::size_t>(part.size()));
}

qsizetype CheckFindVersionBlock(QByteArrayView program) {
    std::string error;
    const qsizetype at = fwu::pack::FindVersionBlock(program, error);
    FUZZ_CHECK(at >= -1);
    if (at < 0) {
        FUZZ_CHECK(!error.empty());
        return at;
    }
    FUZZ_CHECK(at + static_cast<qsizetype>(fwu::kVersionBlockSize) <= program.size());
    FUZZ_CHECK(program.sliced(at, 8) == QByteArrayView(fwu::kStartMarker.data(), 8));
    FUZZ_CHECK(program.sliced(at + fwu::kEndMarkerOffset, 8) == QByteArrayView(fwu::kEndMarker.data(), 8));
    return at;
}

void CheckPacked(const fwu::pack::PackInput& in, const fwu::pack::PackResult& result) {
    FUZZ_CHECK(in.image.size() >= 100);
    for (const std::string* text : {&in.model, &in.releaseDate, &in.fileName}) {
        FUZZ_CHECK(fwu::pack::CheckFieldText("text", *text).empty());
    }
    // The packed program carries exactly the new image...
    const fwu::platform::Payload payload =
        fwu::platform::SplitPackedBytes(fwu::test::AsByteView(result.output));
    FUZZ_CHECK(payload.status == fwu::platform::PayloadStatus::Ok &&
               payload.data == fwu::test::ToBytes(in.image));

    // ...and the old program with only the three texts of its one block rewritten.
    const QByteArrayView oldProgram =
        QByteArrayView(in.program)
            .first(fwu::platform::SplitPackedBytes(fwu::test::AsByteView(in.program)).programSize);
    const QByteArrayView program = QByteArrayView(result.output).first(payload.programSize);
    const qsizetype block = CheckFindVersionBlock(program);
    FUZZ_CHECK(block >= 0 && program.size() == oldProgram.size());
    const qsizetype fieldsBegin = block + fwu::kFileNameOffset;
    const qsizetype fieldsEnd = block + fwu::kEndMarkerOffset;
    FUZZ_CHECK(program.first(fieldsBegin) == oldProgram.first(fieldsBegin));
    FUZZ_CHECK(program.sliced(fieldsEnd) == oldProgram.sliced(fieldsEnd));

    fwu::VersionBlockBytes bytes{};
    std::memcpy(bytes.data(), program.data() + block, bytes.size());
    const fwu::VersionTexts texts = fwu::ReadVersionTexts(bytes);
    FUZZ_CHECK(texts.model == in.model && texts.releaseDate == in.releaseDate &&
               texts.fileName == in.fileName);
    FUZZ_CHECK(result.written.model == in.model && result.written.releaseDate == in.releaseDate &&
               result.written.fileName == in.fileName);

    // Packing the packed program again with the same image and texts changes nothing.
    fwu::pack::PackInput again = in;
    again.program = result.output;
    const fwu::pack::PackResult repacked = fwu::pack::Pack(again);
    FUZZ_CHECK(repacked.ok && repacked.output == result.output);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArrayView input(data, static_cast<qsizetype>(size));
    const QByteArrayView lengths = Take(input, 5);
    const auto length = [&](qsizetype i) -> qsizetype {
        return i < lengths.size() ? static_cast<unsigned char>(lengths[i]) : 0;
    };
    fwu::pack::PackInput in;
    in.model = TakeText(input, length(0) % 64);
    in.releaseDate = TakeText(input, length(1) % 64);
    in.fileName = TakeText(input, length(2) % 64);
    in.image = Take(input, length(3) | (length(4) << 8)).toByteArray();
    in.program = input.toByteArray();

    CheckFindVersionBlock(in.program);
    const fwu::pack::PackResult result = fwu::pack::Pack(in);
    if (result.ok) {
        CheckPacked(in, result);
    } else {
        FUZZ_CHECK(!result.error.empty() && result.output.isEmpty());
    }
    return 0;
}
