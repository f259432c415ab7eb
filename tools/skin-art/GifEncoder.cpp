// GIF89a encoding: header, logical screen with the global colour table, the optional transparency
// extension, one image descriptor and its LZW data in sub-blocks of at most 255 bytes.
#include "tools/skin-art/GifEncoder.h"

#include <algorithm>

namespace fwu::skinart {
namespace {

constexpr int kMaxCode = 4095;  // codes are at most 12 bits; the table restarts before it fills up

// Collects variable-width codes into bytes, least significant bit first.
class BitPacker {
public:
    void Put(int code, int bits) {
        accumulator |= static_cast<std::uint32_t>(code) << used;
        used += bits;
        while (used >= 8) {
            out.append(static_cast<char>(accumulator & 0xFF));
            accumulator >>= 8;
            used -= 8;
        }
    }
    QByteArray Finish() {
        if (used > 0) {
            out.append(static_cast<char>(accumulator & 0xFF));
        }
        accumulator = 0;
        used = 0;
        return out;
    }

private:
    QByteArray out;
    std::uint32_t accumulator = 0;
    int used = 0;
};

void PutWord(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

// log2 of a power of two from 2 to 256, or 0 for anything else.
int TableBits(std::size_t size) {
    for (int bits = 1; bits <= 8; ++bits) {
        if (size == (std::size_t{1} << bits)) {
            return bits;
        }
    }
    return 0;
}

bool WellFormed(const IndexedPicture& picture) {
    if (picture.width < 1 || picture.height < 1 || picture.width > 0xFFFF || picture.height > 0xFFFF) {
        return false;
    }
    const std::size_t tableSize = picture.palette.size();
    if (TableBits(tableSize) == 0 ||
        picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height) {
        return false;
    }
    if (picture.transparentIndex >= static_cast<int>(tableSize)) {
        return false;
    }
    return std::all_of(picture.pixels.begin(), picture.pixels.end(),
                       [tableSize](std::uint8_t index) { return index < tableSize; });
}

}  // namespace

int LzwMinimumCodeSize(int tableSize) {
    int bits = 2;
    while ((1 << bits) < tableSize) {
        ++bits;
    }
    return bits;
}

QByteArray LzwEncode(const std::vector<std::uint8_t>& indices, int minCodeSize) {
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    const int alphabet = 1 << minCodeSize;

    // child[prefix * alphabet + symbol] is the code of prefix followed by symbol, or 0 when unknown
    // (0 is never a code that extends a prefix, since extended codes start after the end code).
    std::vector<std::uint16_t> child(static_cast<std::size_t>(kMaxCode + 1) * alphabet, 0);
    int nextCode = endCode + 1;
    int codeBits = minCodeSize + 1;

    BitPacker packer;
    packer.Put(clearCode, codeBits);
    if (indices.empty()) {
        packer.Put(endCode, codeBits);
        return packer.Finish();
    }

    // After each code written, the decoder learns one entry less than the encoder has made; widening the
    // code as soon as the next free code no longer fits keeps both sides in step.
    auto putCode = [&](int code) {
        packer.Put(code, codeBits);
        if (nextCode >= (1 << codeBits) && codeBits < 12) {
            ++codeBits;
        }
    };

    int prefix = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const int symbol = indices[i];
        std::uint16_t& slot = child[static_cast<std::size_t>(prefix) * alphabet + symbol];
        if (slot != 0) {
            prefix = slot;
            continue;
        }
        putCode(prefix);
        if (nextCode >= kMaxCode) {
            packer.Put(clearCode, codeBits);
            std::fill(child.begin(), child.end(), 0);
            nextCode = endCode + 1;
            codeBits = minCodeSize + 1;
        } else {
            slot = static_cast<std::uint16_t>(nextCode++);
        }
        prefix = symbol;
    }
    putCode(prefix);
    packer.Put(endCode, codeBits);
    return packer.Finish();
}

std::vector<int> InterlacedRowOrder(int height) {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(std::max(height, 0)));
    constexpr int kStart[] = {0, 4, 2, 1};
    constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int row = kStart[pass]; row < height; row += kStep[pass]) {
            rows.push_back(row);
        }
    }
    return rows;
}

QByteArray EncodeGif(const IndexedPicture& picture) {
    if (!WellFormed(picture)) {
        return {};
    }
    const int tableBits = TableBits(picture.palette.size());

    QByteArray out("GIF89a");
    // Logical screen: size, global table present, colour resolution and table size from the table bits.
    PutWord(out, picture.width);
    PutWord(out, picture.height);
    out.append(static_cast<char>(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));
    out.append('\0');  // background colour index
    out.append('\0');  // no aspect ratio
    for (QRgb colour : picture.palette) {
        out.append(static_cast<char>(qRed(colour)));
        out.append(static_cast<char>(qGreen(colour)));
        out.append(static_cast<char>(qBlue(colour)));
    }

    if (picture.transparentIndex >= 0) {
        const char extension[] = {
            '\x21', '\xF9', '\x04', '\x01', '\0', '\0', static_cast<char>(picture.transparentIndex), '\0'};
        out.append(extension, sizeof extension);
    }

    out.append('\x2C');
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, picture.width);
    PutWord(out, picture.height);
    out.append(picture.interlaced ? '\x40' : '\0');  // no local table

    std::vector<std::uint8_t> stream;
    stream.reserve(picture.pixels.size());
    std::vector<int> rows;
    if (picture.interlaced) {
        rows = InterlacedRowOrder(picture.height);
    } else {
        for (int row = 0; row < picture.height; ++row) {
            rows.push_back(row);
        }
    }
    for (int row : rows) {
        const auto begin = picture.pixels.begin() + static_cast<std::ptrdiff_t>(row) * picture.width;
        stream.insert(stream.end(), begin, begin + picture.width);
    }

    const int minCodeSize = LzwMinimumCodeSize(static_cast<int>(picture.palette.size()));
    out.append(static_cast<char>(minCodeSize));
    const QByteArray codes = LzwEncode(stream, minCodeSize);
    for (qsizetype pos = 0; pos < codes.size(); pos += 255) {
        const qsizetype length = std::min<qsizetype>(255, codes.size() - pos);
        out.append(static_cast<char>(length));
        out.append(codes.constData() + pos, length);
    }
    out.append('\0');    // block terminator
    out.append('\x3B');  // trailer
    return out;
}

}  // namespace fwu::skinart
