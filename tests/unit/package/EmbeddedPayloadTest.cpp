// The image appended to a program: found through its trailer, checked against its digest, never handed
// out when damaged.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "platform/EmbeddedPayload.h"
#include "tests/unit/support/QtBytes.h"

namespace fwu::platform {
namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Bytes Packed(const Bytes& program, const Bytes& payload) {
    Bytes packed = program;
    packed.insert(packed.end(), payload.begin(), payload.end());
    const Bytes trailer = MakePayloadTrailer(payload);
    packed.insert(packed.end(), trailer.begin(), trailer.end());
    return packed;
}

TEST(EmbeddedPayload, ThisProgramCarriesTheBuildsImageByteForByte) {
    const QByteArray generated = ReadFile(QStringLiteral(FWU_FIRMWARE_IMAGE));
    ASSERT_EQ(generated.size(), 3'253'248);
    const Payload own = ReadOwnPayload();
    ASSERT_EQ(own.status, PayloadStatus::Ok);
    EXPECT_EQ(own.data.size(), 3'253'248u);
    EXPECT_TRUE(own.data == test::ToBytes(generated));
    EXPECT_EQ(own.sha256, Sha256Of(own.data));
    // The synthetic image's header: date 2006-11-27, version 2.00.22.
    EXPECT_EQ(generated.mid(8, 6), QByteArray("\x06\x0B\x1B\x02\x00\x16", 6));
}

TEST(EmbeddedPayload, SplitFindsProgramAndPayload) {
    const Bytes program = ToBytes(
        "\x7F"
        "ELF program bytes");
    const Bytes payload(1000, 0x42);
    const Payload split = SplitPackedBytes(Packed(program, payload));
    ASSERT_EQ(split.status, PayloadStatus::Ok);
    EXPECT_EQ(split.programSize, static_cast<std::int64_t>(program.size()));
    EXPECT_EQ(split.data, payload);
    EXPECT_EQ(split.sha256, Sha256Of(payload));

    // The trailer's layout: size little-endian, the digest, the magic.
    const Bytes trailer = MakePayloadTrailer(Bytes(0x0102, 0x00));
    ASSERT_EQ(trailer.size(), static_cast<std::size_t>(kPayloadTrailerSize));
    EXPECT_EQ(Bytes(trailer.begin(), trailer.begin() + 8), (Bytes{0x02, 0x01, 0, 0, 0, 0, 0, 0}));
    const Sha256Digest digest = Sha256Of(Bytes(0x0102, 0x00));
    EXPECT_TRUE(std::equal(digest.begin(), digest.end(), trailer.begin() + 8));
    EXPECT_EQ(AsText(ByteView(trailer).last(8)), "FWUIMG01");
}

TEST(EmbeddedPayload, DamageIsReportedNeverHandedOut) {
    const Bytes program = ToBytes("program");
    const Bytes payload(500, 0x11);
    const Bytes packed = Packed(program, payload);

    Bytes flipped = packed;
    flipped[program.size() + 250] = 0x12;
    EXPECT_EQ(SplitPackedBytes(flipped).status, PayloadStatus::DigestMismatch);
    EXPECT_TRUE(SplitPackedBytes(flipped).data.empty());

    Bytes hugeSize = packed;
    hugeSize[packed.size() - kPayloadTrailerSize + 7] = 0x7F;  // size far beyond the file
    EXPECT_EQ(SplitPackedBytes(hugeSize).status, PayloadStatus::Damaged);
    Bytes oneTooMany = packed;  // a size that would take the trailer's own first byte into the payload
    oneTooMany[packed.size() - kPayloadTrailerSize] += static_cast<std::uint8_t>(program.size() + 1);
    EXPECT_EQ(SplitPackedBytes(oneTooMany).status, PayloadStatus::Damaged);

    EXPECT_EQ(SplitPackedBytes(program).status, PayloadStatus::NoPayload);
    EXPECT_EQ(SplitPackedBytes(Bytes()).status, PayloadStatus::NoPayload);
    EXPECT_EQ(SplitPackedBytes(ByteView(packed).first(packed.size() - 1)).status, PayloadStatus::NoPayload);
}

TEST(EmbeddedPayload, ReadsFromFilesLikeFromBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Bytes payload(4096, 0x33);
    const QString good = dir.filePath(QStringLiteral("good"));
    const QString bad = dir.filePath(QStringLiteral("bad"));
    Bytes packed = Packed(ToBytes("prog"), payload);
    ASSERT_TRUE(WriteFileAtomically(good.toStdString(), packed, true));
    packed[10] = 0x34;
    ASSERT_TRUE(WriteFileAtomically(bad.toStdString(), packed, false));

    const Payload read = ReadAppendedPayload(good.toStdString());
    EXPECT_EQ(read.status, PayloadStatus::Ok);
    EXPECT_EQ(read.programSize, 4);
    EXPECT_EQ(read.data, payload);
    EXPECT_TRUE(QFileInfo(good).isExecutable());
    EXPECT_FALSE(QFileInfo(bad).isExecutable());
    EXPECT_EQ(ReadAppendedPayload(bad.toStdString()).status, PayloadStatus::DigestMismatch);
    EXPECT_EQ(ReadAppendedPayload(dir.filePath(QStringLiteral("missing")).toStdString()).status,
              PayloadStatus::Unreadable);
    EXPECT_EQ(ReadAppendedPayload(dir.path().toStdString()).status, PayloadStatus::Unreadable);
}

}  // namespace
}  // namespace fwu::platform
