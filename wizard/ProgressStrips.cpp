// The strip bar's plan per progress message and the strips an area meets.
#include "wizard/ProgressStrips.h"

#include <algorithm>

namespace fwu {

BarPlan PlanBarAdvance(int drawnCount, int shownPercent, int percent, int stripHeight) {
    BarPlan plan;
    const int reached = std::max(drawnCount, shownPercent);
    if (reached > percent) {
        // A new phase or a retry: the face below the drawn strips is painted again with the strips of the
        // current percent over it, and the count starts over there (one strip at least).
        plan.wipe =
            FaceBoxFromEdges(kBarLeft, kBarTop, kStripPitch * reached + 60, kBarTop + 3 + stripHeight);
        plan.drawnCount = std::max(percent, 1);
        return plan;
    }
    plan.drawnCount = percent;
    // The strips shown already are left alone. The count starts at 1 before anything is drawn, and the
    // percent painted from may have gone back to 0 without a message: the lower of the two is what the
    // screen surely shows.
    const int first = std::min(drawnCount, shownPercent) + 1;
    if (first <= percent) {
        plan.firstStrip = first;
        plan.lastStrip = percent;
    }
    return plan;
}

FaceBox StripsBox(int first, int last, int stripWidth, int stripHeight) {
    return {kBarLeft + kStripPitch * first, kBarTop, kStripPitch * (last - first) + stripWidth, stripHeight};
}

FaceBox BarBox(int stripWidth, int stripHeight) {
    const int width =
        std::max(kStripPitch * kMaxStrips + 60 - kBarLeft, kStripPitch * kMaxStrips + stripWidth);
    return {kBarLeft, kBarTop, width, stripHeight + 3};
}

StripRange StripsMeeting(int areaLeft, int areaRight, int stripWidth, int percent) {
    return {std::max(1, (areaLeft - stripWidth + kStripPitch) / kStripPitch),
            std::min({percent, kMaxStrips, areaRight / kStripPitch})};
}

}  // namespace fwu
