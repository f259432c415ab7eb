// The packing tool: a packed copy reads back byte for byte, every bad input is refused with one line and
// nothing written, and the input is never changed.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <filesystem>

#include "platform/EmbeddedPayload.h"
#include "tests/unit/support/QtBytes.h"
#include "tools/brindlepak/Packer.h"

namespace fwu::pack {
namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray SmallImage(qsizetype size = 300) {
    QByteArray image(size, '\x77');
    const char header[] = "TRVNTEST\x07\x02\x0A\x02\x01\x03";
    std::memcpy(image.data(), header, 14);
    return image;
}

// A stand-in program: a 64-bit ELF header, code bytes around `blocks` version blocks (the first at 100),
// and one section header at the end that makes the ELF file reach it.
QByteArray ProgramWithBlock(int blocks = 1) {
    VersionBlockBytes block{};
    std::memcpy(block.data(), "VERSIONS", 8);
    std::memcpy(block.data() + kEndMarkerOffset, "ENDING\0\0", 8);
    std::memcpy(block.data() + kModelOffset, "OLD", 3);
    QByteArray program(64, '\0');
    std::memcpy(program.data(),
                "\x7f"
                "ELF\x02\x01\x01",
                7);
    program += QByteArray(36, '\x90');
    for (int i = 0; i < blocks; ++i) {
        program += QByteArray(reinterpret_cast<const char*>(block.data()), 164) + QByteArray(50, '\xC3');
    }
    const auto sectionHeaders = static_cast<std::uint16_t>(program.size());
    std::memcpy(program.data() + 0x28, &sectionHeaders, 2);  // e_shoff, little-endian
    program[0x3A] = 64;                                      // e_shentsize
    program[0x3C] = 1;                                       // e_shnum
    return program + QByteArray(64, '\0');
}

PackInput Input() {
    return {ProgramWithBlock(), SmallImage(), "ZPR9900", "FEB 10,2007", "new.bin"};
}

TEST(Packer, RoundTripWritesBlockAndImage) {
    const PackResult result = Pack(Input());
    ASSERT_TRUE(result.ok) << result.error;
    const platform::Payload payload = platform::SplitPackedBytes(test::AsByteView(result.output));
    ASSERT_EQ(payload.status, platform::PayloadStatus::Ok);
    EXPECT_EQ(payload.data, test::ToBytes(SmallImage()));
    std::string error;
    const qsizetype at = FindVersionBlock(result.output.first(payload.programSize), error);
    ASSERT_EQ(at, 100);
    VersionBlockBytes block{};
    std::memcpy(block.data(), result.output.constData() + at, block.size());
    const VersionTexts texts = ReadVersionTexts(block);
    EXPECT_EQ(texts.model, "ZPR9900");  // "OLD" fully overwritten, no leftover bytes
    EXPECT_EQ(texts.releaseDate, "FEB 10,2007");
    EXPECT_EQ(texts.fileName, "new.bin");
    EXPECT_EQ(result.written.utilityVersion, "v2.01.03");
    EXPECT_EQ(result.written.firmwareDate, "FEB 10, 2007");

    // Packing the packed program again replaces the image instead of stacking a second one.
    PackInput again = Input();
    again.program = result.output;
    again.image = SmallImage(200);
    const PackResult repacked = Pack(again);
    ASSERT_TRUE(repacked.ok);
    EXPECT_EQ(repacked.output.size(), ProgramWithBlock().size() + 200 + platform::kPayloadTrailerSize);
}

TEST(Packer, RefusesBadInput) {
    struct Row {
        const char* what;
        void (*spoil)(PackInput&);
    };
    const Row rows[] = {
        {"model over 47 bytes", [](PackInput& in) { in.model = std::string(48, 'M'); }},
        {"date with a control byte", [](PackInput& in) { in.releaseDate = "NOV\n27"; }},
        {"file name with a high byte", [](PackInput& in) { in.fileName = "caf\xE9.bin"; }},
        {"image under 100 bytes", [](PackInput& in) { in.image = SmallImage(99); }},
        {"image without a header date", [](PackInput& in) { in.image = QByteArray(200, '\0'); }},
        {"no block", [](PackInput& in) { in.program = QByteArray(400, '\x90'); }},
        {"two blocks", [](PackInput& in) { in.program = ProgramWithBlock(2); }},
        {"damaged carried image",
         [](PackInput& in) {
             const QByteArray img = SmallImage();
             in.program = ProgramWithBlock() + img +
                          test::ToQByteArray(platform::MakePayloadTrailer(test::AsByteView(img)));
             in.program[ProgramWithBlock().size() + 20] = '\x00';
         }},
    };
    for (const Row& row : rows) {
        PackInput input = Input();
        row.spoil(input);
        const PackResult result = Pack(input);
        EXPECT_FALSE(result.ok) << row.what;
        EXPECT_TRUE(result.output.isEmpty()) << row.what;
        EXPECT_FALSE(result.error.empty()) << row.what;
        EXPECT_EQ(result.error.find('\n'), std::string::npos) << row.what;
    }
    for (const auto& [what, spoil] : std::initializer_list<std::pair<const char*, void (*)(PackInput&)>>{
             {"empty model", [](PackInput& in) { in.model.clear(); }},
             {"empty release date", [](PackInput& in) { in.releaseDate.clear(); }},
             {"empty file name", [](PackInput& in) { in.fileName.clear(); }},
             {"release date FEB 31", [](PackInput& in) { in.releaseDate = "FEB 31,2007"; }},
             {"release date Feb 29 in 2007", [](PackInput& in) { in.releaseDate = "Feb 29 2007"; }},
             {"release date APR 31", [](PackInput& in) { in.releaseDate = "APR 31"; }},
             {"image dated the 30th of February", [](PackInput& in) { in.image[10] = 30; }},
             {"program without an ELF header", [](PackInput& in) { in.program[1] = 'X'; }},
             {"32-bit program", [](PackInput& in) { in.program[4] = 1; }},
             {"program cut inside its ELF file", [](PackInput& in) { in.program.chop(1); }},
         }) {
        PackInput input = Input();
        spoil(input);
        const PackResult result = Pack(input);
        EXPECT_FALSE(result.ok) << what;
        EXPECT_FALSE(result.error.empty()) << what;
    }
    for (const char* date : {"FEB 29,2008", "Feb 28", "DEC 31,2006", "2007-02-10", "FEBRUARY"}) {
        PackInput input = Input();
        input.releaseDate = date;
        EXPECT_TRUE(Pack(input).ok) << date;
    }
    PackInput exact = Input();
    exact.model = std::string(47, 'M');
    EXPECT_TRUE(Pack(exact).ok);
}

// A program whose carried image was cut off (its trailer gone) leaves those bytes out of the copy.
TEST(Packer, CutOffOldImageIsDropped) {
    const QByteArray old = SmallImage(5000);
    PackInput input = Input();
    input.program = ProgramWithBlock() + old.first(3000);
    const PackResult result = Pack(input);
    ASSERT_TRUE(result.ok) << result.error;
    const platform::Payload payload = platform::SplitPackedBytes(test::AsByteView(result.output));
    ASSERT_EQ(payload.status, platform::PayloadStatus::Ok);
    EXPECT_EQ(payload.programSize, ProgramWithBlock().size());
    EXPECT_EQ(payload.data, test::ToBytes(SmallImage()));
}

TEST(Packer, MarkerWithoutEndingAtItsPlaceIsNotABlock) {
    QByteArray program = ProgramWithBlock();
    program.prepend(QByteArray("VERSIONS and some text that is no block"));
    std::string error;
    EXPECT_EQ(FindVersionBlock(program, error), 39 + 100);
}

class BrindlepakCommand : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        image = dir.filePath(QStringLiteral("tiny_1.0.bin"));
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(SmallImage(5000));
    }

    int Run(const QStringList& args, QString* err = nullptr) {
        QProcess process;
        process.start(QStringLiteral(FWU_BRINDLEPAK), args);
        process.waitForFinished(60'000);
        if (err) {
            *err = QString::fromLocal8Bit(process.readAllStandardError());
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QTemporaryDir dir;
    QString program, image;
};

TEST_F(BrindlepakCommand, PackedCopyOfThisProgramReadsItsNewTextsFromMemory) {
    const QString out = dir.filePath(QStringLiteral("packed"));
    const QByteArray before = ReadFile(program);
    ASSERT_EQ(Run({"--model", "ZPR7700", "--release-date", "MAR 3,2008", program, image, out}), 0);
    EXPECT_EQ(ReadFile(program), before);  // the input is never changed
    EXPECT_TRUE(QFileInfo(out).isExecutable());
    EXPECT_EQ(platform::ReadAppendedPayload(out.toStdString()).data, test::ToBytes(SmallImage(5000)));

    QProcess copy;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FWU_PRINT_VERSION_BLOCK"), QStringLiteral("1"));
    copy.setProcessEnvironment(env);
    copy.start(out, {});
    ASSERT_TRUE(copy.waitForFinished(60'000));
    EXPECT_EQ(QString::fromLocal8Bit(copy.readAllStandardOutput()).trimmed(),
              QStringLiteral("tiny_1.0.bin|ZPR7700|MAR 3,2008|v2.01.03|FEB 10, 2007"));
}

// A link at the output path, to a file that is not an input, is replaced by the packed copy; the file
// it pointed to keeps its bytes.
TEST_F(BrindlepakCommand, OutputLinkIsReplacedNotWrittenThrough) {
    const QString victim = dir.filePath(QStringLiteral("someone-elses"));
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    const QString out = dir.filePath(QStringLiteral("out-link"));
    std::filesystem::create_symlink(victim.toStdString(), out.toStdString());
    ASSERT_EQ(Run({"--model", "ZPR7700", "--release-date", "MAR 3,2008", program, image, out}), 0);
    EXPECT_EQ(ReadFile(victim), QByteArray("keep me"));
    EXPECT_FALSE(QFileInfo(out).isSymLink());
    EXPECT_EQ(platform::ReadAppendedPayload(out.toStdString()).data, test::ToBytes(SmallImage(5000)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp-")).size(),
              0);
}

TEST_F(BrindlepakCommand, RefusalsWriteNothing) {
    const QString out = dir.filePath(QStringLiteral("never"));
    const QStringList refused[] = {
        {"--model", QString(48, 'M'), "--release-date", "D", program, image, out},
        {"--model", "M", "--release-date", "D", program, dir.filePath("missing.bin"), out},
        {"--model", "M", "--release-date", "D", program, image, program},  // output is the input
        {"--release-date", "D", program, image, out},                      // model missing
    };
    for (const QStringList& args : refused) {
        QString err;
        EXPECT_NE(Run(args, &err), 0) << args.join(' ').toStdString();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_TRUE(err.startsWith(QStringLiteral("brindlepak: "))) << err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    EXPECT_EQ(dir.filePath("never"), out);
}

TEST_F(BrindlepakCommand, RefusesAnOutputThatIsAnInputAndInputsThatAreNoRegularFiles) {
    namespace fs = std::filesystem;
    const QByteArray imageBefore = ReadFile(image);
    const QByteArray programBefore = ReadFile(program);
    const QString fifo = dir.filePath(QStringLiteral("fifo.bin"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("mkfifo"), {fifo}), 0);
    const QString imageLink = dir.filePath(QStringLiteral("image-link"));
    const QString imageHardLink = dir.filePath(QStringLiteral("image-hard-link"));
    const QString programLink = dir.filePath(QStringLiteral("program-link"));
    fs::create_symlink(image.toStdString(), imageLink.toStdString());
    fs::create_hard_link(image.toStdString(), imageHardLink.toStdString());
    fs::create_symlink(program.toStdString(), programLink.toStdString());
    const QString out = dir.filePath(QStringLiteral("never"));

    struct Row {
        QString programArg, imageArg, outputArg;
        const char* message;
    };
    const Row rows[] = {
        {program, image, image, "the output must not be the image"},
        {program, image, imageLink, "the output must not be the image"},
        {program, image, imageHardLink, "the output must not be the image"},
        {program, image, dir.filePath(QStringLiteral("./tiny_1.0.bin")), "the output must not be the image"},
        {program, image, programLink, "the output must not be the input program"},
        {program, fifo, out, "is not a regular file"},
        {program, QStringLiteral("/dev/zero"), out, "is not a regular file"},
        {program, dir.path(), out, "is not a regular file"},
        {QStringLiteral("/dev/zero"), image, out, "is not a regular file"},
    };
    for (const Row& row : rows) {
        const QStringList args{"--model",      "M",          "--release-date", "D",
                               row.programArg, row.imageArg, row.outputArg};
        SCOPED_TRACE(args.join(' ').toStdString());
        QString err;
        EXPECT_EQ(Run(args, &err), 1);
        EXPECT_TRUE(err.startsWith(QStringLiteral("brindlepak: "))) << err.toStdString();
        EXPECT_TRUE(err.contains(QLatin1String(row.message))) << err.toStdString();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
        EXPECT_EQ(ReadFile(image), imageBefore);
        EXPECT_TRUE(QFileInfo(imageLink).isSymLink());
    }
    EXPECT_EQ(ReadFile(program), programBefore);
}

}  // namespace
}  // namespace fwu::pack
