// The packing tool's logic: writes another firmware image and other version texts into a copy of a
// built program. Pure over byte arrays, so every refusal is tested without files.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <string>

#include "package/FirmwarePackage.h"

namespace fwu::pack {

struct PackInput {
    QByteArray program;  // the built program, with or without a carried image
    QByteArray image;    // the new firmware image
    std::string model;
    std::string releaseDate;
    std::string fileName;
};

struct PackResult {
    bool ok = false;
    std::string error;     // one line, when !ok
    QByteArray output;     // the packed program, when ok
    FirmwareInfo written;  // what the packed program will show, when ok
    bool windows = false;  // the program is a Windows one (PE32+), else a Linux one (ELF)
};

// Offset of the program's one version block, or -1 with `error` set when there is none or more than one.
qsizetype FindVersionBlock(QByteArrayView program, std::string& error);

// The extent of the 64-bit little-endian ELF file at the start of `program`: its header, both header
// tables and every segment the program headers name. isElf false for anything else.
struct ElfSize {
    bool isElf = false;
    std::uint64_t bytes = 0;
};
ElfSize MeasureElf(QByteArrayView program);

// What a program file is, and where it ends (the rest is the carried image and its trailer, or dead
// bytes): a Linux program (ELF) or a Windows program (PE32+). `error` is the one-line refusal of a file
// that is neither, or is cut short.
enum class ProgramKind { Unknown, Linux, Windows };
struct ProgramExtent {
    ProgramKind kind = ProgramKind::Unknown;
    std::uint64_t bytes = 0;
    std::string error;
};
ProgramExtent MeasureProgram(QByteArrayView program);

// True for a day that exists: FEB 29 only in a leap year, never FEB 31.
bool IsRealDate(int year, int month, int day);

// A release date that begins with a month name and a day ("FEB 10,2007") must name a real day; other
// texts are free. Empty when it is fine, else the one-line refusal.
std::string CheckReleaseDate(std::string_view text);

// Checks a text for a block field: not empty, at most 47 bytes, printable ASCII only. Empty when fine.
std::string CheckFieldText(std::string_view what, std::string_view text);

PackResult Pack(const PackInput& input);

}  // namespace fwu::pack
