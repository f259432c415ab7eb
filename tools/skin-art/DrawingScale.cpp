// The drawing scale of the face artwork: the plain pictures at 1, the pictures for high-density screens
// at 2, from the same drawing code.
#include "tools/skin-art/ArtKit.h"

namespace fwu::skinart {
namespace {

// The generator draws on one thread only.
int currentScale = 1;

}  // namespace

int DrawingScale() {
    return currentScale;
}

ScopedDrawingScale::ScopedDrawingScale(int scale) : previous(currentScale) {
    currentScale = scale < 1 ? 1 : scale;
}

ScopedDrawingScale::~ScopedDrawingScale() {
    currentScale = previous;
}

}  // namespace fwu::skinart
