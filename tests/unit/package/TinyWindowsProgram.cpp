// A tiny Windows program with a version block in its initialised data, built with mingw-w64 by the tests
// that pack a Windows program. It prints the block's file name and model as the loader mapped them, so a
// packed copy shows what the packing tool wrote into the file.
#include <cstdio>

extern const char kVersionBlock[164];
const char kVersionBlock[164] =
    "VERSIONS\x02\x02\x00\x00"
    "tiny.bin\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
    "TINY\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
    "JAN 1,2001\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
    "ENDING\0";

int main() {
    std::printf("%s|%s|%s\n", kVersionBlock + 12, kVersionBlock + 60, kVersionBlock + 108);
    return 0;
}
