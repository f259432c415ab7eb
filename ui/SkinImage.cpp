// Decoding and drawing of the face's GIF pictures.
#include "ui/SkinImage.h"

#include <QBuffer>
#include <QImageReader>
#include <QPaintEngine>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <mutex>

#include "ui/ResourcePicture.h"

namespace fwu {

namespace {

// Image text that names the picture an image was decoded from ("FRAME/151"), so that drawing can find
// the double-size drawing of the same picture.
const QString kPictureKey = QStringLiteral("fwu-skin-picture");
constexpr int kDenseScale = 2;

QImage DecodeGif(QByteArray bytes) {
    if (bytes.isEmpty()) {
        return {};
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    return reader.read();
}

// A picture decoded on its first use and kept for the program's life under `key`: the face paints the
// same few pictures over and over. Null (and remembered so) when `decode` gives none. Entries are never
// removed, so the pointer stays valid after the lock is let go.
const QImage* Kept(const QString& key, const std::function<QImage()>& decode) {
    static std::mutex mutex;
    static std::map<QString, QImage> decoded;
    const std::lock_guard lock(mutex);
    auto found = decoded.find(key);
    if (found == decoded.end()) {
        found = decoded.emplace(key, decode()).first;
    }
    return found->second.isNull() ? nullptr : &found->second;
}

QString PictureKey(std::string_view type, int id) {
    return QStringLiteral("%1/%2")
        .arg(QString::fromLatin1(type.data(), static_cast<qsizetype>(type.size())))
        .arg(id);
}

// The double-size drawing of the picture `key`; null when the program has none, or when it is not exactly
// twice the size of the plain picture (it would not cover the same logical area).
const QImage* DensePicture(const QString& key, QSize plainSize) {
    return Kept(QStringLiteral("dense:") + key, [&key, plainSize] {
        const qsizetype slash = key.indexOf(QLatin1Char('/'));
        bool isNumber = false;
        const int id = key.mid(slash + 1).toInt(&isNumber);
        if (slash <= 0 || !isNumber) {
            return QImage();
        }
        const QByteArray type = key.left(slash).toLatin1();
        QImage dense = DecodeGif(LoadResourcePicture(
            std::string_view(type.constData(), static_cast<std::size_t>(type.size())), id, kDenseScale));
        if (dense.size() != plainSize * kDenseScale) {
            return QImage();
        }
        dense = dense.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        dense.setDevicePixelRatio(kDenseScale);
        return dense;
    });
}

// The device pixel ratio the painter paints at. A widget painted through its backing store, or rendered
// into an image, paints on another device than the one it was opened on; the larger ratio counts.
qreal TargetPixelRatio(const QPainter& painter) {
    qreal ratio = 1;
    if (const QPaintDevice* device = painter.device()) {
        ratio = device->devicePixelRatioF();
    }
    if (const QPaintEngine* engine = painter.paintEngine(); engine != nullptr && engine->paintDevice()) {
        ratio = std::max(ratio, engine->paintDevice()->devicePixelRatioF());
    }
    return ratio;
}

}  // namespace

std::optional<QImage> LoadSkinImage(int id, std::string_view type) {
    // Held in the painter's own format: a palette picture would be converted whole on every draw, even
    // when only a few pixels of it are painted (the percent figure, a strip of the bar).
    QImage image =
        DecodeGif(LoadResourcePicture(type, id)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return std::nullopt;
    }
    image.setText(kPictureKey, PictureKey(type, id));
    return image;
}

const QImage* KeptSkinImage(int id, std::string_view type) {
    return Kept(PictureKey(type, id), [id, type] { return LoadSkinImage(id, type).value_or(QImage()); });
}

void DrawSkinImage(const QImage* image, QPainter& painter, int x, int y) {
    if (image == nullptr || image->isNull()) {
        return;
    }
    const qreal ratio = TargetPixelRatio(painter);
    const QString key = image->text(kPictureKey);
    if (ratio > 1 && !key.isEmpty()) {
        if (const QImage* dense = DensePicture(key, image->size())) {
            const bool resampled = ratio != kDenseScale;
            painter.save();
            painter.setRenderHint(QPainter::SmoothPixmapTransform, resampled);
            painter.drawImage(QRect(QPoint(x, y), image->size()), *dense);
            painter.restore();
            return;
        }
    }
    painter.drawImage(QPoint(x, y), *image);
}

void DrawSkinImage(const std::optional<QImage>& image, QPainter& painter, int x, int y) {
    DrawSkinImage(image ? &*image : nullptr, painter, x, y);
}

}  // namespace fwu
