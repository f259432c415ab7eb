// One version number in every place that shows it: the About box, AppVersion() (what a command line prints)
// and the Debian package's configuration, all equal to the number CMake's project() was given.
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QtTest>

#include "app/AboutDlg.h"
#include "res/AppVersion.h"

using namespace fwu;

class VersionTest : public QObject {
    Q_OBJECT

private slots:
    void oneNumberEverywhere();
};

void VersionTest::oneNumberEverywhere() {
    const QString project = QStringLiteral(FWU_PROJECT_VERSION);
    QVERIFY(QRegularExpression(QStringLiteral("^\\d+(\\.\\d+){1,3}$")).match(project).hasMatch());
    QCOMPARE(QString::fromLatin1(AppVersion()), project);

    CAboutDlg about;
    QCOMPARE(about.VersionLabel()->text(), QStringLiteral("Version ") + project);

    // The package generator's configuration, written by CMake at configure time.
    QFile config(QStringLiteral(FWU_CPACK_CONFIG));
    QVERIFY2(config.open(QIODevice::ReadOnly), qPrintable(config.fileName()));
    const QString text = QString::fromUtf8(config.readAll());
    const QRegularExpression versionLine(
        QStringLiteral("set\\(CPACK_(?:DEBIAN_)?PACKAGE_VERSION \"([^\"]*)\"\\)"));
    int seen = 0;
    for (const QRegularExpressionMatch& match : versionLine.globalMatch(text)) {
        QCOMPARE(match.captured(1), project);
        ++seen;
    }
    QVERIFY(seen >= 1);
}

QTEST_MAIN(VersionTest)
#include "VersionTest.moc"
