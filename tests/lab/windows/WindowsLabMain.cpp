// main() of the Windows programs' lab tests: refuses to run outside the lab before anything can send a
// packet, then reports itself skipped (77) when wine or a file the tests need is missing:
// windows_lab [gtest options] [--needs FILE]... [--needs-program NAME]...
// With FWU_REQUIRE_WINDOWS_PROGRAM=1 in the environment (the whole suite sets it, after building the
// Windows program) a missing piece is a failure instead.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/labsupport/LabEnvironment.h"

namespace {

// 77 (skipped) on a machine that may lack the Windows pieces; 1 where they must all be there.
int Missing(const char* what) {
    const char* required = std::getenv("FWU_REQUIRE_WINDOWS_PROGRAM");
    if (required != nullptr && std::strcmp(required, "1") == 0) {
        std::fprintf(stderr, "failed: %s, and this run requires the Windows program's tests\n", what);
        return 1;
    }
    std::fprintf(stderr, "skipped: %s\n", what);
    return 77;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    fwu::lab::RequireLabNamespace();
    QCoreApplication app(argc, argv);
    if (QStandardPaths::findExecutable("wine").isEmpty() ||
        QStandardPaths::findExecutable("wineserver").isEmpty()) {
        return Missing("wine is not installed");
    }
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) == "--needs" && !QFileInfo(argv[i + 1]).isFile()) {
            const std::string what = std::string(argv[i + 1]) + " is missing";
            return Missing(what.c_str());
        }
        if (std::string_view(argv[i]) == "--needs-program" &&
            QStandardPaths::findExecutable(argv[i + 1]).isEmpty()) {
            const std::string what = std::string(argv[i + 1]) + " is not installed";
            return Missing(what.c_str());
        }
    }
    return RUN_ALL_TESTS();
}
