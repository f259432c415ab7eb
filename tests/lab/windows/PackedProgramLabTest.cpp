// A Windows program of our own mingw build, packed by the packing tool, still runs under wine and reads
// the texts the tool wrote from its memory; packed again, it carries the new image in place of the old.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

#include "platform/EmbeddedPayload.h"
#include "tests/lab/windows/WineRun.h"

namespace {

struct Packed {
    int exitCode = -1;
    QByteArray out, err;
};

Packed RunBrindlepak(const QStringList& arguments) {
    QProcess process;
    process.start(FWU_BRINDLEPAK, arguments);
    Packed packed;
    if (process.waitForFinished(60'000) && process.exitStatus() == QProcess::NormalExit) {
        packed.exitCode = process.exitCode();
    }
    packed.out = process.readAllStandardOutput();
    packed.err = process.readAllStandardError();
    return packed;
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(PackedWindowsProgramLab, RunsUnderWineWithTheTextsWrittenIntoIt) {
    fwu::lab::Wine wine(FWU_WINE_PREFIX);
    ASSERT_TRUE(wine.Ready()) << wine.Error().toStdString();
    QTemporaryDir dir;
    const QString image = FWU_CLI_LAB_IMAGE;
    const QString once = dir.filePath("once.exe"), twice = dir.filePath("twice.exe");
    const QString smallImage = dir.filePath("small.bin");
    {
        QFile small(smallImage);
        ASSERT_TRUE(small.open(QIODevice::WriteOnly));
        small.write(Read(image).first(5'000));
    }
    const struct {
        const char* what;
        QString program, image, output, model, shown;
        qsizetype imageSize;
    } rows[] = {
        {"packed", FWU_TINY_WINDOWS_PROGRAM, image, once, "ZPR7700", "firmware-200000.bin|ZPR7700|MAR 3,2008",
         200'000},
        {"packed again", once, smallImage, twice, "ZPR7701", "small.bin|ZPR7701|MAR 3,2008", 5'000},
    };
    const qsizetype programSize = Read(FWU_TINY_WINDOWS_PROGRAM).size();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Packed packed = RunBrindlepak(
            {"--model", row.model, "--release-date", "MAR 3,2008", row.program, row.image, row.output});
        ASSERT_EQ(packed.exitCode, 0) << packed.err.toStdString();
        EXPECT_TRUE(packed.out.contains("program:       Windows (PE32+)\n")) << packed.out.toStdString();
        const fwu::platform::Payload payload = fwu::platform::ReadAppendedPayload(row.output.toStdString());
        ASSERT_EQ(payload.status, fwu::platform::PayloadStatus::Ok);
        EXPECT_EQ(payload.data.size(), row.imageSize);
        EXPECT_EQ(payload.programSize, programSize) << "the old image is replaced, not kept";
        const fwu::lab::ProgramRun run =
            fwu::lab::RunProgram("wine", {row.output}, wine.Environment(), {}, 60'000);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.trimmed().toStdString(), row.shown.toStdString());
    }

    // A Windows program cut in half is refused and nothing is written.
    const QString cut = dir.filePath("cut.exe"), never = dir.filePath("never.exe");
    {
        QFile file(cut);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Read(FWU_TINY_WINDOWS_PROGRAM).first(programSize / 2));
    }
    const Packed refused = RunBrindlepak({"--model", "M", "--release-date", "D", cut, image, never});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.startsWith("brindlepak: the Windows program is cut short: "))
        << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(never));

    // What starting any Windows program costs under wine here, with the wine server already running.
    std::vector<double> startMs;
    for (int i = 0; i < 10; ++i) {
        startMs.push_back(fwu::lab::RunProgram("wine", {once}, wine.Environment(), {}, 60'000).wallMs);
    }
    std::sort(startMs.begin(), startMs.end());
    std::printf("tiny Windows program under wine: start to exit %.0f ms median (%.0f to %.0f) of 10 runs\n",
                startMs[5], startMs.front(), startMs.back());
}

}  // namespace
