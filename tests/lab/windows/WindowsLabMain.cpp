// main() of the Windows programs' lab tests: refuses to run outside the lab before anything can send a
// packet, then reports itself skipped (77) when wine or a file the tests need is missing:
// windows_lab [gtest options] [--needs FILE]...
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

#include "tools/labsupport/LabEnvironment.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    fwu::lab::RequireLabNamespace();
    QCoreApplication app(argc, argv);
    if (QStandardPaths::findExecutable("wine").isEmpty() ||
        QStandardPaths::findExecutable("wineserver").isEmpty()) {
        std::fprintf(stderr, "skipped: wine is not installed\n");
        return 77;
    }
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) == "--needs" && !QFileInfo(argv[i + 1]).isFile()) {
            std::fprintf(stderr, "skipped: %s is missing\n", argv[i + 1]);
            return 77;
        }
    }
    return RUN_ALL_TESTS();
}
