#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include "tools/skin-art/Artwork.h"
#include "tools/skin-art/SamePicture.h"

namespace fwu::skinart {
namespace {

QSet<QString> FilesUnder(const QString& root) {
    QSet<QString> files;
    const QDir base(QFileInfo(root).absoluteFilePath());
    QDirIterator it(base.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.insert(base.relativeFilePath(it.next()));
    }
    return files;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

int CompareFolders(const QString& drawn, const QString& committed) {
    QTextStream err(stderr);
    const QSet<QString> drawnFiles = FilesUnder(drawn);
    const QSet<QString> committedFiles = FilesUnder(committed);
    int differences = 0;
    QStringList all = (drawnFiles + committedFiles).values();
    all.sort();
    for (const QString& name : all) {
        QString why;
        if (!committedFiles.contains(name)) {
            why = QStringLiteral("drawn but not committed");
        } else if (!drawnFiles.contains(name)) {
            why = QStringLiteral("committed but no longer drawn");
        } else {
            why = FileDifference(ReadAll(drawn + '/' + name), ReadAll(committed + '/' + name));
        }
        if (!why.isEmpty()) {
            err << "fwu-skin-art: " << committed << '/' << name << ": " << why << "\n";
            ++differences;
        }
    }
    return differences == 0 ? 0 : 1;
}

}  // namespace fwu::skinart
