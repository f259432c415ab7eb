// `cmake --install` must put the program in place with its firmware image and version block intact
// (nothing may rewrite the file past its ELF image), next to its desktop entry and icon.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>

#include "platform/EmbeddedPayload.h"
#include "tests/unit/support/QtBytes.h"
#include "tools/brindlepak/Packer.h"

namespace fwu {
namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Install, ProgramKeepsItsImageAndBlock) {
    QTemporaryDir stage;
    ASSERT_TRUE(stage.isValid());
    QProcess install;
    install.start(QStringLiteral(FWU_CMAKE),
                  {"--install", QStringLiteral(FWU_BUILD_DIR), "--prefix", stage.path()});
    ASSERT_TRUE(install.waitForFinished(120'000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

    const QString program = stage.filePath(QStringLiteral("bin/firmware-upgrade-utility"));
    ASSERT_TRUE(QFileInfo(program).isExecutable());
    const platform::Payload payload = platform::ReadAppendedPayload(program.toStdString());
    ASSERT_EQ(payload.status, platform::PayloadStatus::Ok);
    EXPECT_TRUE(test::ToQByteArray(payload.data) == ReadFile(QStringLiteral(FWU_FIRMWARE_IMAGE)));

    const QByteArray bytes = ReadFile(program).first(payload.programSize);
    std::string error;
    const qsizetype at = pack::FindVersionBlock(bytes, error);
    ASSERT_GE(at, 0) << error;
    VersionBlockBytes block{};
    std::memcpy(block.data(), bytes.constData() + at, block.size());
    const VersionTexts texts = ReadVersionTexts(block);
    EXPECT_EQ(texts.model, "ZPR8800N");
    EXPECT_EQ(texts.fileName, "ZPR8800N_2.00.22_ETSI_code.bin");

    EXPECT_TRUE(QFileInfo::exists(stage.filePath("share/applications/firmware-upgrade-utility.desktop")));
    EXPECT_TRUE(
        QFileInfo::exists(stage.filePath("share/icons/hicolor/128x128/apps/firmware-upgrade-utility.png")));
}

}  // namespace
}  // namespace fwu
