// Tells whether two picture files show the same thing: what a person sees and what the window relies
// on, not the bytes of the encoder that wrote them (the PNG writer of one zlib build compresses
// differently from another's, and font rasterisers differ in the last bit of an edge's shading).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace fwu::skinart {

// Two pixels count as alike when no channel (alpha included) differs by more than this.
inline constexpr int kAlikeChannelStep = 16;
// At most this many pixels in a thousand may differ beyond that (the shading of a few edges): a 16x16
// icon may differ in one pixel, a redrawn or shifted picture differs in far more.
inline constexpr int kUnlikePixelsPerThousand = 5;

// Empty when the decoded pictures are the same: equal size, the same transparent palette index when
// both are indexed (the window draws the GIFs with it), and pixels alike within the steps above.
// Otherwise one line that says what differs.
QString PictureDifference(const QImage& drawn, const QImage& committed);

// PictureDifference of two encoded files (any format Qt reads); a file that does not decode differs.
QString FileDifference(const QByteArray& drawn, const QByteArray& committed);

}  // namespace fwu::skinart
