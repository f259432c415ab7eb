#include "res/VersionBlock.h"

namespace {

constexpr void Put(fwu::VersionBlockBytes& block, std::size_t offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        block[offset + i] = static_cast<unsigned char>(text[i]);
    }
}

constexpr fwu::VersionBlockBytes MakeTemplate() {
    fwu::VersionBlockBytes block{};
    Put(block, fwu::kStartMarkerOffset, fwu::kStartMarker);
    Put(block, fwu::kReservedOffset, std::string_view{"\x02\x02\0\0", 4});
    Put(block, fwu::kFileNameOffset, "ZPR8800N_2.00.22_ETSI_code.bin");
    Put(block, fwu::kModelOffset, "ZPR8800N");
    Put(block, fwu::kReleaseDateOffset, "NOV 27,2006");
    Put(block, fwu::kEndMarkerOffset, fwu::kEndMarker);
    return block;
}

}  // namespace

// Writable, externally visible and marked used: the linker keeps it in .data and the compiler cannot
// assume its contents, which the packing tool replaces in the executable file.
extern "C" {
[[gnu::used]] fwu::VersionBlockBytes fwu_version_block = MakeTemplate();
}

namespace fwu {

VersionBlockBytes ReadOwnVersionBlock() {
    VersionBlockBytes copy{};
    const volatile unsigned char* source = fwu_version_block.data();
    for (std::size_t i = 0; i < copy.size(); ++i) {
        copy[i] = source[i];
    }
    return copy;
}

}  // namespace fwu
