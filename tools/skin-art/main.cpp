// fwu-skin-art: draws the pictures of the window face and writes them as the GIF files (and icon PNGs)
// that the program carries. It runs at development time only; its output is committed under res/, and
// the normal build uses the committed files. To draw them again from the repository root:
//
//     build/art/tools/skin-art/fwu-skin-art res/skin
//
// writes res/skin/<TYPE>/<id>.gif, the same pictures drawn at twice the size for high-density screens as
// res/skin/<TYPE>/<id>@2x.gif, res/skin/ICON/150.png (the window's icon) and the desktop icons
// res/icon/hicolor/<N>x<N>/apps/firmware-upgrade-utility.png at every size the package installs.
// The GIFs are the same byte for byte on every run with the same fonts (DejaVu Sans); the PNG bytes
// depend on the zlib build. `fwu-skin-art --compare DRAWN COMMITTED` tells whether two such folders
// show the same pictures (tools/skin-art/check-art uses it).
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>

#include "tools/skin-art/Artwork.h"
#include "tools/skin-art/GifEncoder.h"

namespace {

int Refuse(const QString& message) {
    QTextStream(stderr) << "fwu-skin-art: " << message << "\n";
    return 1;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

bool WritePng(const QString& path, const QImage& image) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

// Draws every face picture at `scale` device pixels per logical pixel and writes it as
// <TYPE>/<id>.gif (scale 1) or <TYPE>/<id>@<scale>x.gif, the name the program looks for on screens of
// that density.
bool WriteCatalogue(const QDir& skin, int scale) {
    const fwu::skinart::ScopedDrawingScale drawingScale(scale);
    const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
    for (const fwu::skinart::SkinPicture& picture : fwu::skinart::DrawCatalogue()) {
        const QByteArray gif =
            fwu::skinart::EncodeGif(fwu::skinart::Quantise(picture.image, picture.palette));
        const QString path =
            skin.filePath(QStringLiteral("%1/%2%3.gif").arg(picture.type).arg(picture.id).arg(suffix));
        if (gif.isEmpty() || !WriteFile(path, gif)) {
            Refuse(QStringLiteral("cannot write %1").arg(path));
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Drawing needs no display; the offscreen platform keeps the output independent of one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QStringLiteral("--compare")) {
        return fwu::skinart::CompareFolders(args.at(2), args.at(3));
    }
    if (args.size() != 2) {
        return Refuse(
            QStringLiteral("usage: fwu-skin-art <skin folder, e.g. res/skin>\n"
                           "       fwu-skin-art --compare <drawn folder> <committed folder>"));
    }
    const QString family = QFontInfo(fwu::skinart::Face(12, false)).family();
    if (family != QStringLiteral("DejaVu Sans")) {
        return Refuse(QStringLiteral("the font DejaVu Sans is not installed (got %1)").arg(family));
    }

    const QDir skin(args.at(1));
    for (const int scale : {1, 2}) {
        if (!WriteCatalogue(skin, scale)) {
            return 1;
        }
    }

    const QString windowIcon = skin.filePath(QStringLiteral("ICON/150.png"));
    if (!WritePng(windowIcon, fwu::skinart::DrawIcon(48))) {
        return Refuse(QStringLiteral("cannot write %1").arg(windowIcon));
    }
    // The desktop icons, in the layout of the hicolor icon theme.
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString path = QDir::cleanPath(skin.filePath(
            QStringLiteral("../icon/hicolor/%1x%1/apps/firmware-upgrade-utility.png").arg(size)));
        if (!WritePng(path, fwu::skinart::DrawIcon(size))) {
            return Refuse(QStringLiteral("cannot write %1").arg(path));
        }
    }
    return 0;
}
