// The image buttons drawn from their picture sets.
#include "ui/ImageButtons.h"

#include <QPainter>

#include "ui/FaceRect.h"
#include "ui/SkinImage.h"

namespace fwu {

QRect ButtonRect(FaceSlot slot) {
    return QtRect(ButtonBox(slot));
}

bool DrawButton(QPainter& painter, FaceSlot slot, const std::array<int, 3>& sets, bool highlighted) {
    // Only the three slots have a rectangle; None and any value outside the enumeration draw nothing.
    const QRect rect = ButtonRect(slot);
    if (rect.isEmpty()) {
        return false;
    }
    const int id = ButtonPictureId(sets[SlotIndex(slot)], highlighted);
    if (id == 0) {
        return false;
    }
    const QImage* picture = KeptSkinImage(id, kButtonType);
    if (picture == nullptr) {
        return false;
    }
    DrawSkinImage(picture, painter, rect.x(), rect.y());
    return true;
}

}  // namespace fwu
