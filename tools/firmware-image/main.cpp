// Writes the synthetic firmware image that the build packs into the program: a model magic of our own,
// the six header bytes the program reads (date 2006-11-27, version 2.00.22) and deterministic filler.
// Usage: fwu-make-image <output> [size]
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include "platform/EmbeddedPayload.h"

namespace {

constexpr std::int64_t kDefaultSize = 3'253'248;
constexpr char kModelMagic[8] = {'T', 'R', 'V', 'N', 'Z', '8', '8', 'N'};
constexpr unsigned char kHeader[6] = {0x06, 0x0B, 0x1B, 0x02, 0x00, 0x16};

}  // namespace

int main(int argc, char** argv) {
    std::ostream& err = std::cerr;
    if (argc < 2 || argc > 3) {
        err << "usage: fwu-make-image <output> [size]\n";
        return 2;
    }
    const std::int64_t size = argc == 3 ? std::strtoll(argv[2], nullptr, 10) : kDefaultSize;
    if (size < 14 || size > fwu::platform::kMaxPayloadSize) {
        err << "fwu-make-image: size must be 14 to " << fwu::platform::kMaxPayloadSize << " bytes\n";
        return 2;
    }
    fwu::Bytes image(static_cast<std::size_t>(size));
    std::uint32_t state = 0x2006'1127u;  // xorshift32: the same bytes on every build
    for (std::size_t i = 0; i < image.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        image[i] = static_cast<std::uint8_t>(state & 0xFF);
    }
    for (int i = 0; i < 8; ++i) {
        image[i] = static_cast<std::uint8_t>(kModelMagic[i]);
    }
    for (int i = 0; i < 6; ++i) {
        image[8 + i] = kHeader[i];
    }
    if (!fwu::platform::WriteFileAtomically(argv[1], image, false)) {
        err << "fwu-make-image: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
