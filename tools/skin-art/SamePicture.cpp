#include "tools/skin-art/SamePicture.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdlib>

namespace fwu::skinart {
namespace {

// The palette index drawn as transparent, -1 for a picture without a palette or without one.
int TransparentIndex(const QImage& image) {
    const QList<QRgb> table = image.colorTable();
    for (int i = 0; i < table.size(); ++i) {
        if (qAlpha(table.at(i)) == 0) {
            return i;
        }
    }
    return -1;
}

bool Alike(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= kAlikeChannelStep &&
           std::abs(qGreen(a) - qGreen(b)) <= kAlikeChannelStep &&
           std::abs(qBlue(a) - qBlue(b)) <= kAlikeChannelStep &&
           std::abs(qAlpha(a) - qAlpha(b)) <= kAlikeChannelStep;
}

QImage Decode(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    return reader.read();
}

}  // namespace

QString PictureDifference(const QImage& drawn, const QImage& committed) {
    if (drawn.isNull() || committed.isNull()) {
        return QStringLiteral("does not decode");
    }
    if (drawn.size() != committed.size()) {
        return QStringLiteral("size %1x%2 instead of %3x%4")
            .arg(drawn.width())
            .arg(drawn.height())
            .arg(committed.width())
            .arg(committed.height());
    }
    const bool bothIndexed =
        drawn.format() == QImage::Format_Indexed8 && committed.format() == QImage::Format_Indexed8;
    if (bothIndexed && TransparentIndex(drawn) != TransparentIndex(committed)) {
        return QStringLiteral("transparent index %1 instead of %2")
            .arg(TransparentIndex(drawn))
            .arg(TransparentIndex(committed));
    }
    const QImage a = drawn.convertToFormat(QImage::Format_ARGB32);
    const QImage b = committed.convertToFormat(QImage::Format_ARGB32);
    qint64 unlike = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            unlike += Alike(rowA[x], rowB[x]) ? 0 : 1;
        }
    }
    const qint64 pixels = qint64(a.width()) * a.height();
    if (unlike * 1000 > pixels * kUnlikePixelsPerThousand) {
        return QStringLiteral("%1 of %2 pixels differ").arg(unlike).arg(pixels);
    }
    return {};
}

QString FileDifference(const QByteArray& drawn, const QByteArray& committed) {
    if (drawn == committed) {
        return {};
    }
    return PictureDifference(Decode(drawn), Decode(committed));
}

}  // namespace fwu::skinart
