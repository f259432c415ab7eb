// Decoding and drawing of the face's GIF pictures.
#include "ui/SkinImage.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <array>

#include "platform/Resources.h"

namespace fwu {

int ContentImageId(int index) {
    static constexpr std::array<int, 6> kIds{165, 169, 167, 168, 166, 170};
    if (index < 0 || index >= static_cast<int>(kIds.size())) {
        return 0;
    }
    return kIds[static_cast<std::size_t>(index)];
}

std::optional<QImage> LoadSkinImage(int id, std::string_view type) {
    QByteArray bytes = platform::LoadResourcePicture(type, id);
    if (bytes.isEmpty()) {
        return std::nullopt;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    QImage image = reader.read();
    if (image.isNull()) {
        return std::nullopt;
    }
    return image;
}

void DrawSkinImage(const QImage* image, QPainter& painter, int x, int y) {
    if (image == nullptr || image->isNull()) {
        return;
    }
    painter.drawImage(QPoint(x, y), *image);
}

void DrawSkinImage(const std::optional<QImage>& image, QPainter& painter, int x, int y) {
    DrawSkinImage(image ? &*image : nullptr, painter, x, y);
}

}  // namespace fwu
