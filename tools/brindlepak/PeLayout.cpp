#include "tools/brindlepak/PeLayout.h"

#include <algorithm>

namespace fwu::pack {
namespace {

constexpr std::uint64_t kDosHeaderSize = 0x40;
constexpr std::uint64_t kNewHeaderOffsetAt = 0x3C;  // e_lfanew
constexpr std::uint64_t kSignatureSize = 4;         // "PE\0\0"
constexpr std::uint64_t kCoffHeaderSize = 20;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint64_t kSymbolSize = 18;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint16_t kPe32Magic = 0x10B;
// The optional header's fixed fields of a PE32+ file, through NumberOfRvaAndSizes.
constexpr std::uint64_t kMinOptionalHeaderSize = 112;
constexpr std::uint64_t kSizeOfHeadersAt = 60;    // in the optional header, the same in PE32 and PE32+
constexpr std::uint64_t kDirectoryCountAt = 108;  // NumberOfRvaAndSizes, in a PE32+ optional header
constexpr std::uint64_t kDirectoriesAt = 112;
constexpr std::uint64_t kCertificateDirectory = 4;  // its "address" is a file offset, in the overlay

std::uint64_t Little(std::span<const std::uint8_t> bytes, std::uint64_t at, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | bytes[at + static_cast<std::uint64_t>(i)];
    }
    return value;
}

PeSize Verdict(PeVerdict verdict, std::string problem) {
    return {verdict, 0, std::move(problem)};
}

PeSize CutShort(const std::string& what, std::uint64_t needs, std::uint64_t has) {
    return Verdict(PeVerdict::CutShort, "the Windows program is cut short: " + what + " ends at byte " +
                                            std::to_string(needs) + ", the file has " + std::to_string(has));
}

// A section's name as its header spells it: up to eight bytes, NUL-padded; others shown as '?'.
std::string SectionName(std::span<const std::uint8_t> bytes, std::uint64_t at) {
    std::string name;
    for (std::uint64_t i = 0; i < 8 && bytes[at + i] != 0; ++i) {
        const char c = static_cast<char>(bytes[at + i]);
        name.push_back(c >= 0x20 && c <= 0x7E ? c : '?');
    }
    return name.empty() ? "without a name" : name;
}

}  // namespace

PeSize MeasurePe(std::span<const std::uint8_t> file) {
    const std::uint64_t size = file.size();
    if (size < 2 || file[0] != 'M' || file[1] != 'Z') {
        return Verdict(PeVerdict::NotPe, "no MZ header");
    }
    if (size < kDosHeaderSize) {
        return CutShort("its DOS header", kDosHeaderSize, size);
    }
    const std::uint64_t peAt = Little(file, kNewHeaderOffsetAt, 4);
    const std::uint64_t coffAt = peAt + kSignatureSize;
    if (coffAt + kCoffHeaderSize > size) {
        return CutShort("its PE header", coffAt + kCoffHeaderSize, size);
    }
    if (file[peAt] != 'P' || file[peAt + 1] != 'E' || file[peAt + 2] != 0 || file[peAt + 3] != 0) {
        return Verdict(PeVerdict::Malformed, "the MZ file has no PE signature at byte " +
                                                 std::to_string(peAt) + ": it is no Windows program");
    }
    const std::uint64_t sections = Little(file, coffAt + 2, 2);
    const std::uint64_t symbolsAt = Little(file, coffAt + 8, 4);
    const std::uint64_t symbols = Little(file, coffAt + 12, 4);
    const std::uint64_t optionalSize = Little(file, coffAt + 16, 2);
    const std::uint64_t optionalAt = coffAt + kCoffHeaderSize;
    if (optionalSize < kMinOptionalHeaderSize) {
        return Verdict(PeVerdict::Malformed, "the Windows program's optional header is " +
                                                 std::to_string(optionalSize) +
                                                 " bytes, too short for PE32+");
    }
    if (optionalAt + optionalSize > size) {
        return CutShort("its optional header", optionalAt + optionalSize, size);
    }
    const std::uint64_t magic = Little(file, optionalAt, 2);
    if (magic != kPe32PlusMagic) {
        return Verdict(PeVerdict::Malformed,
                       magic == kPe32Magic ? "the program is a 32-bit Windows program (PE32), not PE32+"
                                           : "the Windows program's optional header has an unknown kind");
    }
    const std::uint64_t directories = Little(file, optionalAt + kDirectoryCountAt, 4);
    const std::uint64_t certificateAt = kDirectoriesAt + kCertificateDirectory * 8;
    if (directories > kCertificateDirectory && certificateAt + 8 <= optionalSize &&
        Little(file, optionalAt + certificateAt + 4, 4) != 0) {
        return Verdict(PeVerdict::Signed,
                       "the Windows program is signed, and packing would break the "
                       "signature: pack an unsigned build");
    }
    const std::uint64_t tableAt = optionalAt + optionalSize;
    const std::uint64_t tableEnd = tableAt + sections * kSectionHeaderSize;
    if (tableEnd > size) {
        return CutShort("its section table", tableEnd, size);
    }
    const std::uint64_t headersEnd = Little(file, optionalAt + kSizeOfHeadersAt, 4);
    if (headersEnd > size) {
        return CutShort("its headers", headersEnd, size);
    }
    std::uint64_t end = std::max(tableEnd, headersEnd);
    for (std::uint64_t i = 0; i < sections; ++i) {
        const std::uint64_t at = tableAt + i * kSectionHeaderSize;
        const std::uint64_t rawSize = Little(file, at + 16, 4);
        const std::uint64_t rawAt = Little(file, at + 20, 4);
        if (rawSize == 0) {
            continue;  // only in memory (.bss and the like): no bytes in the file
        }
        if (rawAt + rawSize > size) {
            return CutShort("section " + SectionName(file, at) + "'s raw data", rawAt + rawSize, size);
        }
        end = std::max(end, rawAt + rawSize);
    }
    if (symbolsAt != 0) {
        // The string table follows the symbols, its first four bytes its size (themselves included).
        const std::uint64_t stringsAt = symbolsAt + symbols * kSymbolSize;
        if (stringsAt + 4 > size) {
            return CutShort("its symbol table", stringsAt + 4, size);
        }
        const std::uint64_t stringsEnd = stringsAt + std::max<std::uint64_t>(4, Little(file, stringsAt, 4));
        if (stringsEnd > size) {
            return CutShort("its string table", stringsEnd, size);
        }
        end = std::max(end, stringsEnd);
    }
    return {PeVerdict::Ok, end, {}};
}

}  // namespace fwu::pack
