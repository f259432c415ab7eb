// Appends a firmware image to a linked program, replacing any image it already carries.
// Usage: fwu-embed <program> <image>
#include <QFile>
#include <QTextStream>

#include "platform/EmbeddedPayload.h"

int main(int argc, char** argv) {
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: fwu-embed <program> <image>\n";
        return 2;
    }
    const QString programPath = QString::fromLocal8Bit(argv[1]);
    QFile program(programPath);
    QFile image(QString::fromLocal8Bit(argv[2]));
    if (!program.open(QIODevice::ReadOnly) || !image.open(QIODevice::ReadOnly)) {
        err << "fwu-embed: cannot read " << (program.isOpen() ? argv[2] : argv[1]) << "\n";
        return 1;
    }
    const QByteArray programBytes = program.readAll();
    const QByteArray imageBytes = image.readAll();
    if (imageBytes.size() > fwu::platform::kMaxPayloadSize) {
        err << "fwu-embed: image too large\n";
        return 1;
    }
    const fwu::platform::Payload old = fwu::platform::SplitPackedBytes(programBytes);
    QByteArray packed = programBytes.first(
        old.status == fwu::platform::PayloadStatus::Ok ? old.programSize : programBytes.size());
    packed += imageBytes;
    packed += fwu::platform::MakePayloadTrailer(imageBytes);
    if (!fwu::platform::WriteFileAtomically(programPath, packed, true)) {
        err << "fwu-embed: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
