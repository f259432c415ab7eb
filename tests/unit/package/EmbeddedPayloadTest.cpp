// The image appended to a program: found through its trailer, checked against its digest, never handed
// out when damaged.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/EmbeddedPayload.h"

namespace fwu::platform {
namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(EmbeddedPayload, ThisProgramCarriesTheBuildsImageByteForByte) {
    const QByteArray generated = ReadFile(QStringLiteral(FWU_FIRMWARE_IMAGE));
    ASSERT_EQ(generated.size(), 3'253'248);
    const Payload own = ReadOwnPayload();
    ASSERT_EQ(own.status, PayloadStatus::Ok);
    EXPECT_EQ(own.data.size(), 3'253'248);
    EXPECT_TRUE(own.data == generated);
    // The synthetic image's header: date 2006-11-27, version 2.00.22.
    EXPECT_EQ(generated.mid(8, 6), QByteArray("\x06\x0B\x1B\x02\x00\x16", 6));
}

TEST(EmbeddedPayload, SplitFindsProgramAndPayload) {
    const QByteArray program(
        "\x7F"
        "ELF program bytes");
    const QByteArray payload(1000, '\x42');
    const Payload split = SplitPackedBytes(program + payload + MakePayloadTrailer(payload));
    ASSERT_EQ(split.status, PayloadStatus::Ok);
    EXPECT_EQ(split.programSize, program.size());
    EXPECT_EQ(split.data, payload);
}

TEST(EmbeddedPayload, DamageIsReportedNeverHandedOut) {
    const QByteArray program("program");
    const QByteArray payload(500, '\x11');
    const QByteArray packed = program + payload + MakePayloadTrailer(payload);

    QByteArray flipped = packed;
    flipped[program.size() + 250] = '\x12';
    EXPECT_EQ(SplitPackedBytes(flipped).status, PayloadStatus::DigestMismatch);
    EXPECT_TRUE(SplitPackedBytes(flipped).data.isEmpty());

    QByteArray hugeSize = packed;
    hugeSize[packed.size() - kPayloadTrailerSize + 7] = '\x7F';  // size far beyond the file
    EXPECT_EQ(SplitPackedBytes(hugeSize).status, PayloadStatus::Damaged);

    EXPECT_EQ(SplitPackedBytes(program).status, PayloadStatus::NoPayload);
    EXPECT_EQ(SplitPackedBytes(QByteArray()).status, PayloadStatus::NoPayload);
    EXPECT_EQ(SplitPackedBytes(packed.chopped(1)).status, PayloadStatus::NoPayload);
}

TEST(EmbeddedPayload, ReadsFromFilesLikeFromBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray payload(4096, '\x33');
    const QString good = dir.filePath(QStringLiteral("good"));
    const QString bad = dir.filePath(QStringLiteral("bad"));
    QByteArray packed = QByteArray("prog") + payload + MakePayloadTrailer(payload);
    ASSERT_TRUE(WriteFileAtomically(good, packed, true));
    packed[10] = '\x34';
    ASSERT_TRUE(WriteFileAtomically(bad, packed, false));

    const Payload read = ReadAppendedPayload(good);
    EXPECT_EQ(read.status, PayloadStatus::Ok);
    EXPECT_EQ(read.data, payload);
    EXPECT_TRUE(QFileInfo(good).isExecutable());
    EXPECT_EQ(ReadAppendedPayload(bad).status, PayloadStatus::DigestMismatch);
    EXPECT_EQ(ReadAppendedPayload(dir.filePath(QStringLiteral("missing"))).status, PayloadStatus::Unreadable);
}

}  // namespace
}  // namespace fwu::platform
