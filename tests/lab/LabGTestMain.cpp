// main() of the GoogleTest lab programs: refuses to run outside the lab before any test can send a packet.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tools/labsupport/LabEnvironment.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    fwu::lab::RequireLabNamespace();
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
