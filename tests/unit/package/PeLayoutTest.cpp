// Windows programs: where a PE file ends for good and broken headers made here, a packed Windows program
// that keeps its own bytes and carries the image as its overlay, and (where our mingw build made one) a
// real tiny Windows program measured and packed.
#include <gtest/gtest.h>

#include <QFile>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/EmbeddedPayload.h"
#include "tests/unit/support/QtBytes.h"
#include "tools/brindlepak/Packer.h"
#include "tools/brindlepak/PeLayout.h"

namespace fwu::pack {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& bytes, std::size_t at, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        bytes.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

constexpr std::size_t kPeAt = 0x80;
constexpr std::size_t kCoffAt = kPeAt + 4;
constexpr std::size_t kOptionalAt = kCoffAt + 20;
constexpr std::size_t kOptionalSize = 240;
constexpr std::size_t kTableAt = kOptionalAt + kOptionalSize;

// A PE32+ file of 0x600 bytes: headers to 0x200, .text at 0x400 (listed first), .data at 0x200, and a
// .bss with no raw bytes whose pointer lies far past the end.
Bytes GoodPe() {
    Bytes pe(0x600, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    Put(pe, 0x3C, kPeAt, 4);
    std::memcpy(pe.data() + kPeAt, "PE\0\0", 4);
    Put(pe, kCoffAt, 0x8664, 2);
    Put(pe, kCoffAt + 2, 3, 2);
    Put(pe, kCoffAt + 16, kOptionalSize, 2);
    Put(pe, kOptionalAt, 0x20B, 2);
    Put(pe, kOptionalAt + 60, 0x200, 4);
    const struct {
        const char* name;
        std::uint32_t rawSize, rawAt;
    } sections[] = {{".text", 0x200, 0x400}, {".data", 0x200, 0x200}, {".bss", 0, 0x7FFFFFFF}};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t at = kTableAt + i * 40;
        std::memcpy(pe.data() + at, sections[i].name, std::strlen(sections[i].name));
        Put(pe, at + 16, sections[i].rawSize, 4);
        Put(pe, at + 20, sections[i].rawAt, 4);
    }
    return pe;
}

// GoodPe with a COFF symbol table of three symbols at 0x600 and a string table of `strings` bytes.
Bytes WithSymbols(std::uint32_t strings) {
    Bytes pe = GoodPe();
    Put(pe, kCoffAt + 8, 0x600, 4);
    Put(pe, kCoffAt + 12, 3, 4);
    pe.resize(0x600 + 3 * 18 + 10, 0);
    Put(pe, 0x600 + 3 * 18, strings, 4);
    return pe;
}

Bytes GoodPeCutTo(std::size_t size) {
    Bytes pe = GoodPe();
    pe.resize(size);
    return pe;
}

TEST(PeLayout, MeasuresGoodFilesAndNamesWhatIsBroken) {
    struct Row {
        const char* what;
        Bytes file;
        PeVerdict verdict;
        std::uint64_t bytes;  // when Ok
        const char* problem;  // part of the problem otherwise
    };
    const auto spoilt = [](auto spoil) {
        Bytes pe = GoodPe();
        spoil(pe);
        return pe;
    };
    const Row rows[] = {
        {"sections out of order, one without bytes", GoodPe(), PeVerdict::Ok, 0x600, ""},
        {"an overlay is not the program's", spoilt([](Bytes& pe) { pe.resize(0x900, 0xAB); }), PeVerdict::Ok,
         0x600, ""},
        {"symbol and string tables belong to it", WithSymbols(10), PeVerdict::Ok, 0x600 + 54 + 10, ""},
        {"an empty string table is its size field", WithSymbols(0), PeVerdict::Ok, 0x600 + 54 + 4, ""},
        {"empty file", {}, PeVerdict::NotPe, 0, ""},
        {"an ELF file", {0x7F, 'E', 'L', 'F', 2, 1, 1}, PeVerdict::NotPe, 0, ""},
        {"cut inside the DOS header", GoodPeCutTo(63), PeVerdict::CutShort, 0,
         "DOS header ends at byte 64, the file has 63"},
        {"PE header past the end", spoilt([](Bytes& pe) { Put(pe, 0x3C, 0x5F0, 4); }), PeVerdict::CutShort, 0,
         "PE header"},
        {"PE header offset far out", spoilt([](Bytes& pe) { Put(pe, 0x3C, 0xFFFFFFFF, 4); }),
         PeVerdict::CutShort, 0, "PE header"},
        {"a DOS program", spoilt([](Bytes& pe) { pe[kPeAt] = 'X'; }), PeVerdict::Malformed, 0,
         "no PE signature at byte 128"},
        {"32-bit", spoilt([](Bytes& pe) { Put(pe, kOptionalAt, 0x10B, 2); }), PeVerdict::Malformed, 0,
         "PE32"},
        {"signed (a certificate table)", spoilt([](Bytes& pe) {
             Put(pe, kOptionalAt + 108, 16, 4);
             Put(pe, kOptionalAt + 112 + 4 * 8, 0x600, 4);
             Put(pe, kOptionalAt + 112 + 4 * 8 + 4, 0x100, 4);
         }),
         PeVerdict::Signed, 0, "is signed"},
        {"a certificate entry the directory count leaves out", spoilt([](Bytes& pe) {
             Put(pe, kOptionalAt + 108, 4, 4);
             Put(pe, kOptionalAt + 112 + 4 * 8 + 4, 0x100, 4);
         }),
         PeVerdict::Ok, 0x600, ""},
        {"unknown optional header", spoilt([](Bytes& pe) { Put(pe, kOptionalAt, 0x107, 2); }),
         PeVerdict::Malformed, 0, "unknown kind"},
        {"optional header too short", spoilt([](Bytes& pe) { Put(pe, kCoffAt + 16, 16, 2); }),
         PeVerdict::Malformed, 0, "too short"},
        {"cut inside the optional header", GoodPeCutTo(kOptionalAt + 100), PeVerdict::CutShort, 0,
         "optional header"},
        {"cut inside the section table", GoodPeCutTo(kTableAt + 50), PeVerdict::CutShort, 0, "section table"},
        {"more sections than the file holds", spoilt([](Bytes& pe) { Put(pe, kCoffAt + 2, 0xFFFF, 2); }),
         PeVerdict::CutShort, 0, "section table"},
        {"headers larger than the file", spoilt([](Bytes& pe) { Put(pe, kOptionalAt + 60, 0x601, 4); }),
         PeVerdict::CutShort, 0, "its headers ends at byte 1537"},
        {"cut inside the last section", GoodPeCutTo(0x5FF), PeVerdict::CutShort, 0,
         "section .text's raw data ends at byte 1536, the file has 1535"},
        {"a section claiming 4 GiB", spoilt([](Bytes& pe) { Put(pe, kTableAt + 40 + 16, 0xFFFFFFFF, 4); }),
         PeVerdict::CutShort, 0, "section .data's raw data ends at byte 4294967807"},
        {"string table past the end", WithSymbols(11), PeVerdict::CutShort, 0, "string table"},
        {"symbol table past the end", spoilt([](Bytes& pe) {
             Put(pe, kCoffAt + 8, 0x5F0, 4);
             Put(pe, kCoffAt + 12, 1, 4);
         }),
         PeVerdict::CutShort, 0, "symbol table"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const PeSize size = MeasurePe(row.file);
        EXPECT_EQ(size.verdict, row.verdict) << size.problem;
        if (row.verdict == PeVerdict::Ok) {
            EXPECT_EQ(size.bytes, row.bytes);
        } else if (row.verdict != PeVerdict::NotPe) {
            EXPECT_NE(size.problem.find(row.problem), std::string::npos) << size.problem;
            EXPECT_EQ(size.problem.find('\n'), std::string::npos);
        }
    }
}

QByteArray AsQt(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// GoodPe with a version block in its .data section and `overlay` after it.
QByteArray PeWithBlock(const QByteArray& overlay = {}) {
    QByteArray pe = AsQt(GoodPe());
    std::memcpy(pe.data() + 0x210, "VERSIONS\x02\x02\0\0", 12);
    std::memcpy(pe.data() + 0x210 + kEndMarkerOffset, "ENDING\0\0", 8);
    return pe + overlay;
}

QByteArray Image(qsizetype size) {
    QByteArray image(size, '\x5A');
    std::memcpy(image.data(), "TRVNTEST\x07\x02\x0A\x02\x01\x03", 14);
    return image;
}

PackResult PackPe(const QByteArray& program, qsizetype imageSize = 300) {
    return Pack({program, Image(imageSize), "ZPR9900", "FEB 10,2007", "new.bin"});
}

// The packed copy is the Windows program's own bytes with the new block, then the image and its trailer;
// a foreign overlay or a cut-off old image is dropped, a whole old image replaced, a cut program refused.
TEST(PeLayout, PacksAWindowsProgramWithTheImageAsItsOverlay) {
    const QByteArray old = Image(700);
    const struct {
        const char* what;
        QByteArray program;
        bool ok;
    } rows[] = {
        {"bare program", PeWithBlock(), true},
        {"foreign overlay", PeWithBlock(QByteArray(77, '\x01')), true},
        {"cut-off old image", PeWithBlock(old.first(500)), true},
        {"whole old image",
         PeWithBlock(old + test::ToQByteArray(platform::MakePayloadTrailer(test::AsByteView(old)))), true},
        {"cut inside a section", PeWithBlock().chopped(1), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const PackResult result = PackPe(row.program);
        ASSERT_EQ(result.ok, row.ok) << result.error;
        if (!row.ok) {
            EXPECT_NE(result.error.find("cut short"), std::string::npos) << result.error;
            EXPECT_TRUE(result.output.isEmpty());
            continue;
        }
        const platform::Payload payload = platform::SplitPackedBytes(test::AsByteView(result.output));
        ASSERT_EQ(payload.status, platform::PayloadStatus::Ok);
        EXPECT_EQ(payload.data, test::ToBytes(Image(300)));
        ASSERT_EQ(payload.programSize, 0x600);
        QByteArray expected = PeWithBlock();
        std::memcpy(expected.data() + 0x210 + kModelOffset, "ZPR9900", 7);
        std::memcpy(expected.data() + 0x210 + kFileNameOffset, "new.bin", 7);
        std::memcpy(expected.data() + 0x210 + kReleaseDateOffset, "FEB 10,2007", 11);
        EXPECT_EQ(result.output.first(0x600), expected);
        EXPECT_TRUE(result.windows);
        EXPECT_EQ(MeasureProgram(result.output).kind, ProgramKind::Windows);
    }
}

// A real Windows program from our own mingw build (not stripped: its symbols follow its sections).
TEST(PeLayout, TinyWindowsProgramFromOurBuild) {
    if (std::string_view(FWU_TINY_WINDOWS_PROGRAM).empty()) {
        GTEST_SKIP() << "no mingw-w64 compiler: the tiny Windows program was not built";
    }
    QFile file(QStringLiteral(FWU_TINY_WINDOWS_PROGRAM));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray program = file.readAll();
    const ProgramExtent extent = MeasureProgram(program);
    EXPECT_EQ(extent.kind, ProgramKind::Windows) << extent.error;
    EXPECT_EQ(extent.bytes, static_cast<std::uint64_t>(program.size())) << "a fresh build has no overlay";
    const PackResult packed = PackPe(program, 5000);
    ASSERT_TRUE(packed.ok) << packed.error;
    EXPECT_EQ(platform::SplitPackedBytes(test::AsByteView(packed.output)).programSize, program.size());
    EXPECT_FALSE(PackPe(program.first(program.size() / 2)).ok);
}

}  // namespace
}  // namespace fwu::pack
