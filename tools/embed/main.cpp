// Appends a firmware image to a linked program, replacing any image it already carries.
// Usage: fwu-embed <program> <image>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

#include "platform/EmbeddedPayload.h"

namespace {

std::optional<fwu::Bytes> ReadWhole(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        return std::nullopt;
    }
    fwu::Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: fwu-embed <program> <image>\n";
        return 2;
    }
    const std::optional<fwu::Bytes> programBytes = ReadWhole(argv[1]);
    const std::optional<fwu::Bytes> imageBytes = programBytes ? ReadWhole(argv[2]) : std::nullopt;
    if (!programBytes || !imageBytes) {
        std::cerr << "fwu-embed: cannot read " << (programBytes ? argv[2] : argv[1]) << "\n";
        return 1;
    }
    if (static_cast<std::int64_t>(imageBytes->size()) > fwu::platform::kMaxPayloadSize) {
        std::cerr << "fwu-embed: image too large\n";
        return 1;
    }
    const fwu::platform::Payload old = fwu::platform::SplitPackedBytes(*programBytes);
    const auto keep = old.status == fwu::platform::PayloadStatus::Ok
                          ? static_cast<std::size_t>(old.programSize)
                          : programBytes->size();
    fwu::Bytes packed(programBytes->begin(), programBytes->begin() + static_cast<std::ptrdiff_t>(keep));
    packed.insert(packed.end(), imageBytes->begin(), imageBytes->end());
    const fwu::Bytes trailer = fwu::platform::MakePayloadTrailer(*imageBytes);
    packed.insert(packed.end(), trailer.begin(), trailer.end());
    if (!fwu::platform::WriteFileAtomically(argv[1], packed, true)) {
        std::cerr << "fwu-embed: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
