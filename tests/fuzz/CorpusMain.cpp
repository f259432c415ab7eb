// Runs a fuzz target over committed inputs without libFuzzer, so the ordinary build replays every seed
// and every crash once found as a test. Arguments: files, or folders whose files are all run (in name
// order). The empty input is run too, as libFuzzer always tries it. Fails when no file was found.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"

namespace {

void RunOne(const std::vector<char>& bytes) {
    // An allocation of exactly the input's size, so a read one byte past it is caught.
    const std::size_t size = bytes.size();
    std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[size == 0 ? 1 : size]);
    std::copy(bytes.begin(), bytes.end(), data.get());
    LLVMFuzzerTestOneInput(data.get(), size);
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        if (fs::is_directory(arg)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(arg)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else {
            files.push_back(arg);
        }
    }
    std::sort(files.begin(), files.end());

    RunOne({});
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 1;
        }
        std::fprintf(stderr, "%s\n", file.c_str());
        RunOne(std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    std::fprintf(stderr, "ran %zu inputs\n", files.size());
    return files.empty() ? 1 : 0;
}
