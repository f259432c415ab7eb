// fwu-pack-icon OUT.ico PICTURE.png...: writes the Windows icon file holding the given PNG pictures.
#include <iostream>
#include <vector>

#include "platform/EmbeddedPayload.h"
#include "platform/RegularFile.h"
#include "tools/icon-pack/IconFile.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: fwu-pack-icon OUT.ico PICTURE.png...\n";
        return 2;
    }
    constexpr std::int64_t kMaxPicture = 1024 * 1024;
    std::vector<fwu::Bytes> pictures;
    for (int i = 2; i < argc; ++i) {
        fwu::platform::RegularFile file = fwu::platform::ReadRegularFile(argv[i], kMaxPicture);
        if (file.status != fwu::platform::RegularFileStatus::Ok) {
            std::cerr << "fwu-pack-icon: cannot read " << argv[i] << " as a file of at most 1 MiB\n";
            return 1;
        }
        pictures.push_back(std::move(file.data));
    }
    std::string error;
    const std::optional<fwu::Bytes> icon = fwu::tools::MakeIconFile(pictures, error);
    if (!icon) {
        std::cerr << "fwu-pack-icon: " << error << "\n";
        return 1;
    }
    if (!fwu::platform::WriteFileAtomically(argv[1], *icon, false)) {
        std::cerr << "fwu-pack-icon: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
