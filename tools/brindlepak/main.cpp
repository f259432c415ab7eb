// brindlepak: packs a firmware image and its version texts into a copy of the built utility.
// Never changes its input; writes the output through a temporary file; one-line refusals on stderr.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "platform/EmbeddedPayload.h"
#include "tools/brindlepak/Packer.h"

namespace {

int Refuse(const QString& message) {
    QTextStream(stderr) << "brindlepak: " << message << "\n";
    return 1;
}

bool ReadWhole(const QString& path, QByteArray& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 2 * fwu::platform::kMaxPayloadSize) {
        return false;
    }
    out = file.readAll();
    return true;
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
    const QFileInfo programInfo(programPath), outputInfo(outputPath);
    if (programInfo.absoluteFilePath() == outputInfo.absoluteFilePath() ||
        (outputInfo.exists() && programInfo.canonicalFilePath() == outputInfo.canonicalFilePath())) {
        return Refuse(QStringLiteral("the output must not be the input program"));
    }
    fwu::pack::PackInput input;
    if (!ReadWhole(programPath, input.program)) {
        return Refuse(QStringLiteral("cannot read the program ") + programPath);
    }
    if (!ReadWhole(imagePath, input.image)) {
        return Refuse(QStringLiteral("cannot read the image ") + imagePath);
    }
    input.model = parser.value(modelOption).toStdString();
    input.releaseDate = parser.value(dateOption).toStdString();
    input.fileName = parser.isSet(nameOption) ? parser.value(nameOption).toStdString()
                                              : QFileInfo(imagePath).fileName().toStdString();
    const fwu::pack::PackResult result = fwu::pack::Pack(input);
    if (!result.ok) {
        return Refuse(QString::fromStdString(result.error));
    }
    if (!fwu::platform::WriteFileAtomically(outputPath, result.output, programInfo.isExecutable())) {
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
