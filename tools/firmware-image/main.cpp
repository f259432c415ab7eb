// Writes the synthetic firmware image that the build packs into the program: a model magic of our own,
// the six header bytes the program reads (date 2006-11-27, version 2.00.22) and deterministic filler.
// Usage: fwu-make-image <output> [size]
#include <QFile>
#include <QTextStream>
#include <cstdint>
#include <cstdlib>

#include "platform/EmbeddedPayload.h"

namespace {

constexpr qsizetype kDefaultSize = 3'253'248;
constexpr char kModelMagic[8] = {'T', 'R', 'V', 'N', 'Z', '8', '8', 'N'};
constexpr unsigned char kHeader[6] = {0x06, 0x0B, 0x1B, 0x02, 0x00, 0x16};

}  // namespace

int main(int argc, char** argv) {
    QTextStream err(stderr);
    if (argc < 2 || argc > 3) {
        err << "usage: fwu-make-image <output> [size]\n";
        return 2;
    }
    const qsizetype size = argc == 3 ? std::strtoll(argv[2], nullptr, 10) : kDefaultSize;
    if (size < 14 || size > fwu::platform::kMaxPayloadSize) {
        err << "fwu-make-image: size must be 14 to " << fwu::platform::kMaxPayloadSize << " bytes\n";
        return 2;
    }
    QByteArray image(size, '\0');
    std::uint32_t state = 0x2006'1127u;  // xorshift32: the same bytes on every build
    for (qsizetype i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        image[i] = static_cast<char>(state & 0xFF);
    }
    for (int i = 0; i < 8; ++i) {
        image[i] = kModelMagic[i];
    }
    for (int i = 0; i < 6; ++i) {
        image[8 + i] = static_cast<char>(kHeader[i]);
    }
    if (!fwu::platform::WriteFileAtomically(QString::fromLocal8Bit(argv[1]), image, false)) {
        err << "fwu-make-image: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
