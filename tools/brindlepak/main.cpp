// brindlepak: packs a firmware image and its version texts into a copy of the built utility.
// Never changes its input: both inputs must be regular files, and the output must be neither of them
// (compared by device and inode, so links and second names count). Writes the output through a
// temporary file; one-line refusals on stderr.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include "platform/EmbeddedPayload.h"
#include "platform/RegularFile.h"
#include "tools/brindlepak/Packer.h"

namespace {

// A program with the largest image it can carry, and room for the program itself.
constexpr std::int64_t kMaxProgramBytes = 2 * fwu::platform::kMaxPayloadSize;

int Refuse(const QString& message) {
    QTextStream(stderr) << "brindlepak: " << message << "\n";
    return 1;
}

// Reads an input that must be a regular file; empty when it is fine, else the one-line refusal.
// `limit` is the most it reads, named in the refusal.
QString ReadInput(const QString& what, const QString& path, qint64 limit, fwu::platform::RegularFile& out) {
    using fwu::platform::RegularFileStatus;
    out = fwu::platform::ReadRegularFile(path.toStdString(), limit);
    switch (out.status) {
        case RegularFileStatus::Ok:
            return {};
        case RegularFileStatus::NotRegular:
            return QStringLiteral("the %1 %2 is not a regular file").arg(what, path);
        case RegularFileStatus::TooLarge:
            return QStringLiteral("the %1 %2 is larger than %3 MiB")
                .arg(what, path)
                .arg(limit / (1024 * 1024));
        case RegularFileStatus::Unreadable:
            break;
    }
    return QStringLiteral("cannot read the %1 %2").arg(what, path);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindlepak"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Packs a firmware image and its texts into a copy of the utility."));
    parser.addHelpOption();
    const QCommandLineOption modelOption(QStringLiteral("model"), QStringLiteral("Router model."),
                                         QStringLiteral("text"));
    const QCommandLineOption dateOption(QStringLiteral("release-date"), QStringLiteral("Release date text."),
                                        QStringLiteral("text"));
    const QCommandLineOption nameOption(
        QStringLiteral("file-name"), QStringLiteral("Firmware file name (default: the image's base name)."),
        QStringLiteral("text"));
    parser.addOptions({modelOption, dateOption, nameOption});
    parser.addPositionalArgument(QStringLiteral("program"), QStringLiteral("The built utility to copy."));
    parser.addPositionalArgument(QStringLiteral("image"), QStringLiteral("The firmware image to pack."));
    parser.addPositionalArgument(QStringLiteral("output"),
                                 QStringLiteral("Where to write the packed utility."));
    if (!parser.parse(app.arguments())) {
        return Refuse(parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(0);
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() != 3 || !parser.isSet(modelOption) || !parser.isSet(dateOption)) {
        return Refuse(QStringLiteral(
            "usage: brindlepak --model M --release-date D [--file-name F] program image output"));
    }
    const QString programPath = args[0], imagePath = args[1], outputPath = args[2];
    const QFileInfo programInfo(programPath);
    fwu::platform::RegularFile program, image;
    if (const QString problem = ReadInput(QStringLiteral("program"), programPath, kMaxProgramBytes, program);
        !problem.isEmpty()) {
        return Refuse(problem);
    }
    if (const QString problem =
            ReadInput(QStringLiteral("image"), imagePath, fwu::platform::kMaxPayloadSize, image);
        !problem.isEmpty()) {
        return Refuse(problem);
    }
    // Writing over an input would destroy it: the output is put in place by renaming over that path.
    if (const auto output = fwu::platform::IdentifyFile(outputPath.toStdString())) {
        if (*output == program.id) {
            return Refuse(QStringLiteral("the output must not be the input program"));
        }
        if (*output == image.id) {
            return Refuse(QStringLiteral("the output must not be the image"));
        }
    }
    fwu::pack::PackInput input;
    const auto bytes = [](const fwu::Bytes& data) {
        return QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
    };
    input.program = bytes(program.data);
    input.image = bytes(image.data);
    input.model = parser.value(modelOption).toStdString();
    input.releaseDate = parser.value(dateOption).toStdString();
    input.fileName = parser.isSet(nameOption) ? parser.value(nameOption).toStdString()
                                              : QFileInfo(imagePath).fileName().toStdString();
    const fwu::pack::PackResult result = fwu::pack::Pack(input);
    if (!result.ok) {
        return Refuse(QString::fromStdString(result.error));
    }
    const fwu::ByteView output(reinterpret_cast<const std::uint8_t*>(result.output.constData()),
                               static_cast<std::size_t>(result.output.size()));
    if (!fwu::platform::WriteFileAtomically(outputPath.toStdString(), output, programInfo.isExecutable())) {
        return Refuse(QStringLiteral("cannot write ") + outputPath);
    }
    QTextStream out(stdout);
    out << "wrote " << outputPath << "\n"
        << "  model:         " << QString::fromStdString(result.written.model) << "\n"
        << "  release date:  " << QString::fromStdString(result.written.releaseDate) << "\n"
        << "  file name:     " << QString::fromStdString(result.written.fileName) << "\n"
        << "  firmware date: " << QString::fromStdString(result.written.firmwareDate) << "\n"
        << "  version:       " << QString::fromStdString(result.written.utilityVersion) << "\n"
        << "  image size:    " << input.image.size() << " bytes\n";
    return 0;
}
