// The firmware upgrade utility: one copy per user shows the upgrade wizard until the user ends it.
#include <QApplication>
#include <QIcon>

#include "app/SystemServices.h"
#include "app/UpgradeApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ICON/150.png")));
    fwu::SystemUpgradeServices services;  // outlives the window, so a running upload is joined after it
    fwu::CUpgradeApp app;
    return app.InitInstance(services);
}
