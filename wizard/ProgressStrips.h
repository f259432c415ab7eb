// The arithmetic of the progress page's strip bar: up to 100 strips of the "BAR" picture, strip k with
// its top-left corner at (57 + 3k, 312), drawn strip by strip as the percent advances. Which window area
// a progress message paints again, which strips meet an area to paint, and the bar's own area. Percents
// handed in are 0..100: the upload worker makes them so, and nothing here clamps them again.
#pragma once

#include "wizard/FaceBox.h"

namespace fwu {

inline constexpr int kStripPitch = 3;
inline constexpr int kBarLeft = 57;
inline constexpr int kBarTop = 312;
inline constexpr int kMaxStrips = 100;
// Used for the strip height when the bar picture is missing (that of the shipped picture).
inline constexpr int kDefaultStripHeight = 28;

// What one progress message does to the bar: the window area to paint again, either the wiped one or
// that of the new strips, never both.
struct BarPlan {
    FaceBox wipe;        // paint the face and the remaining strips here again (the bar shrinks); or empty
    int firstStrip = 0;  // paint strips firstStrip..lastStrip (the bar grows); none when firstStrip is 0
    int lastStrip = 0;
    int drawnCount = 1;  // the new count of strips drawn
};

// The plan for a progress message carrying `percent` (0..100), with `drawnCount` strips counted as drawn
// and `shownPercent` the percent the bar painted from until now. A message below either wipes the strips
// up to the higher of the two; otherwise only the strips the bar did not show before are painted.
BarPlan PlanBarAdvance(int drawnCount, int shownPercent, int percent, int stripHeight);

// The window rectangle covered by strips first..last of the given size.
FaceBox StripsBox(int first, int last, int stripWidth, int stripHeight);

// The bar's own area on the window: room for 100 strips and for the widest wipe, which reaches 3 pixels
// below the strips.
FaceBox BarBox(int stripWidth, int stripHeight);

// The strips first..last (none when first > last) to draw for an area of the bar from x = areaLeft to
// areaRight (inclusive, relative to the bar's left edge) with `percent` shown: strip k covers x from 3k
// to 3k + width - 1, and no strip beyond the 100th is drawn, whatever the percent.
struct StripRange {
    int first = 1;
    int last = 0;
};
StripRange StripsMeeting(int areaLeft, int areaRight, int stripWidth, int percent);

}  // namespace fwu
