// Walks a GIF file's blocks with bounds checks; any truncation leaves `valid` false.
#include "tests/unit/res/GifFacts.h"

namespace fwu::test {

GifFacts ReadGifFacts(const QByteArray& bytes) {
    GifFacts facts;
    const auto byte = [&bytes](qsizetype at) { return static_cast<unsigned char>(bytes.at(at)); };
    if (bytes.size() < 13 || !bytes.startsWith("GIF89a")) {
        return facts;
    }
    facts.width = byte(6) | (byte(7) << 8);
    facts.height = byte(8) | (byte(9) << 8);
    const int screenFlags = byte(10);
    qsizetype pos = 13;
    if (screenFlags & 0x80) {
        facts.tableSize = 2 << (screenFlags & 7);
        if (bytes.size() < pos + 3 * facts.tableSize) {
            return facts;
        }
        for (int i = 0; i < facts.tableSize; ++i, pos += 3) {
            facts.table.push_back(qRgb(byte(pos), byte(pos + 1), byte(pos + 2)));
        }
    }
    while (pos < bytes.size()) {
        const int introducer = byte(pos++);
        if (introducer == 0x2C) {  // image descriptor: flags are its tenth byte
            if (pos + 9 > bytes.size()) {
                return facts;
            }
            facts.interlaced = (byte(pos + 8) & 0x40) != 0;
            facts.valid = true;
            return facts;
        }
        if (introducer != 0x21 || pos >= bytes.size()) {
            return facts;
        }
        const int label = byte(pos++);
        bool first = true;
        while (pos < bytes.size()) {  // sub-blocks up to the zero-length terminator
            const int length = byte(pos++);
            if (length == 0) {
                break;
            }
            if (pos + length > bytes.size()) {
                return facts;
            }
            if (label == 0xF9 && first && length == 4 && (byte(pos) & 1)) {
                facts.transparentIndex = byte(pos + 3);
            }
            first = false;
            pos += length;
        }
    }
    return facts;
}

}  // namespace fwu::test
