// main() of the end-to-end lab programs that open the real window: refuses to run outside the lab before
// anything can send a packet, then runs the tests under a widget application (offscreen unless told).
#include <gtest/gtest.h>

#include <QApplication>

#include "tools/labsupport/LabEnvironment.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    fwu::lab::RequireLabNamespace();
    // The window's log of each attempt goes to the lab's scratch folder, not the home folder.
    qputenv("XDG_STATE_HOME", (fwu::lab::ReadLabEnvironment().scratchDir + "/state").toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
