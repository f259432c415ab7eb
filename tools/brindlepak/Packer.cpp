#include "tools/brindlepak/Packer.h"

#include <algorithm>
#include <cstring>

#include "platform/EmbeddedPayload.h"

namespace fwu::pack {
namespace {

// The bytes of a byte array, as the package and platform functions take them (no copy).
ByteView View(QByteArrayView bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::size_t>(bytes.size())};
}

constexpr qsizetype kMinImageSize = 100;

void WriteField(QByteArray& program, qsizetype offset, const std::string& text) {
    char* field = program.data() + offset;
    std::memset(field, 0, kVersionFieldWidth);
    std::memcpy(field, text.data(), text.size());
}

std::uint64_t ReadLittle(QByteArrayView bytes, qsizetype at, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int month, int year) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

PackResult Refuse(std::string error) {
    PackResult result;
    result.error = std::move(error);
    return result;
}

}  // namespace

ElfSize MeasureElf(QByteArrayView program) {
    ElfSize size;
    constexpr qsizetype kHeaderSize = 64;
    if (program.size() < kHeaderSize ||
        !program.startsWith("\x7f"
                            "ELF") ||
        program[4] != 2 || program[5] != 1) {
        return size;
    }
    const std::uint64_t phoff = ReadLittle(program, 0x20, 8);
    const std::uint64_t shoff = ReadLittle(program, 0x28, 8);
    const std::uint64_t phentsize = ReadLittle(program, 0x36, 2);
    const std::uint64_t phnum = ReadLittle(program, 0x38, 2);
    const std::uint64_t shentsize = ReadLittle(program, 0x3A, 2);
    const std::uint64_t shnum = ReadLittle(program, 0x3C, 2);
    // Offsets beyond any file this tool reads are no ELF of a program (and keep the sums below in range).
    constexpr std::uint64_t kFar = std::uint64_t{1} << 40;
    if (phoff > kFar || shoff > kFar) {
        return size;
    }
    std::uint64_t end =
        std::max<std::uint64_t>({kHeaderSize, phoff + phnum * phentsize, shoff + shnum * shentsize});
    // The segments' bytes, as far as the program headers that arrived name them.
    if (phentsize >= 0x28) {
        for (std::uint64_t i = 0; i < phnum; ++i) {
            const std::uint64_t at = phoff + i * phentsize;
            if (at + 0x28 > static_cast<std::uint64_t>(program.size())) {
                break;
            }
            const std::uint64_t offset = ReadLittle(program, static_cast<qsizetype>(at + 0x08), 8);
            const std::uint64_t fileSize = ReadLittle(program, static_cast<qsizetype>(at + 0x20), 8);
            if (offset > kFar || fileSize > kFar) {
                return size;
            }
            end = std::max(end, offset + fileSize);
        }
    }
    size.isElf = true;
    size.bytes = end;
    return size;
}

bool IsRealDate(int year, int month, int day) {
    return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(month, year);
}

std::string CheckReleaseDate(std::string_view text) {
    if (text.size() < 5) {
        return {};  // no month and day to check
    }
    constexpr std::string_view kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                            "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    std::string upper;
    for (const char c : text.substr(0, 3)) {
        upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    const auto month = std::find(std::begin(kMonths), std::end(kMonths), upper);
    std::size_t at = 3;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    if (month == std::end(kMonths) || at == 3 || at >= text.size() || text[at] < '0' || text[at] > '9') {
        return {};  // not a month name and a day: free text
    }
    int day = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && day < 100; ++at) {
        day = day * 10 + (text[at] - '0');
    }
    int year = 2000;  // a leap year: without a year, FEB 29 is a real date
    const std::size_t digits = text.find_first_of("0123456789", at);
    if (digits != std::string_view::npos && text.size() - digits == 4) {
        year = std::stoi(std::string(text.substr(digits)));
    }
    const int monthNumber = static_cast<int>(month - std::begin(kMonths)) + 1;
    return IsRealDate(year, monthNumber, day)
               ? std::string()
               : "the release date " + std::string(text) + " is not a real date";
}

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
    if (text.empty()) {
        return std::string(what) + " is empty";
    }
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
    if (std::string problem = CheckReleaseDate(input.releaseDate); !problem.empty()) {
        return Refuse(problem);
    }
    if (input.image.size() < kMinImageSize) {
        return Refuse("the image is shorter than 100 bytes");
    }
    const auto header = ParseFirmwareHeader(View(input.image));
    if (!header || !IsRealDate(2000 + header->year, header->month, header->day)) {
        return Refuse("the image has no firmware header (date bytes 8 to 10 are not a real date)");
    }
    if (input.image.size() > platform::kMaxPayloadSize) {
        return Refuse("the image is larger than 64 MiB");
    }
    const platform::Payload old = platform::SplitPackedBytes(View(input.program));
    if (old.status == platform::PayloadStatus::Damaged ||
        old.status == platform::PayloadStatus::DigestMismatch) {
        return Refuse("the program's carried image is damaged");
    }
    // The program is the ELF file it begins with. Shorter: it was cut, and a copy of it would not run.
    // Longer without a whole carried image: what follows is the rest of a cut-off image, dead bytes the
    // copy would carry for nothing, so they are dropped (the old image is replaced anyway).
    const ElfSize elf = MeasureElf(QByteArrayView(input.program).first(old.programSize));
    if (!elf.isElf) {
        return Refuse("the program is not a 64-bit little-endian ELF file");
    }
    if (elf.bytes > static_cast<std::uint64_t>(old.programSize)) {
        return Refuse("the program is cut short: its ELF file needs " + std::to_string(elf.bytes) +
                      " bytes, it has " + std::to_string(old.programSize));
    }
    const qsizetype keep =
        old.status == platform::PayloadStatus::Ok ? old.programSize : static_cast<qsizetype>(elf.bytes);
    QByteArray program = input.program.first(keep);
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
    result.written = DeriveFirmwareInfo(View(input.image), written);
    result.output = std::move(program);
    result.output += input.image;
    const Bytes trailer = platform::MakePayloadTrailer(View(input.image));
    result.output.append(reinterpret_cast<const char*>(trailer.data()),
                         static_cast<qsizetype>(trailer.size()));
    result.ok = true;
    return result;
}

}  // namespace fwu::pack
