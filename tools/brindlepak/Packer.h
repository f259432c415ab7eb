// The packing tool's logic: writes another firmware image and other version texts into a copy of a
// built program. Pure over byte arrays, so every refusal is tested without files.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
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
};

// Offset of the program's one version block, or -1 with `error` set when there is none or more than one.
qsizetype FindVersionBlock(QByteArrayView program, std::string& error);

// Checks a text for a block field: at most 47 bytes, printable ASCII only. Empty when it is fine.
std::string CheckFieldText(std::string_view what, std::string_view text);

PackResult Pack(const PackInput& input);

}  // namespace fwu::pack
