#pragma once
// The window's outer size in twips. Pixels hold 15 twips each, so a size set in
// twips (from the settings or the minimum) would drift by up to 14 twips on every
// round trip; the value last set is kept and reported while the pixels still match.
#include "platform/ui/twips.h"

namespace snippary {

class TwipsAxis {
public:
    // Remembers a value set in twips.
    void Set(int twips) { set_ = twips; }
    // The twips of a pixel extent: the value last set when it maps to these
    // pixels, otherwise pixels * 15.
    int Twips(int px) const {
        if (set_ >= 0 && platform::TwipsToPx(set_) == px) return set_;
        return platform::PxToTwips(px);
    }

private:
    int set_ = -1;
};

struct TwipsGeometry {
    TwipsAxis left, top, width, height;
};

}  // namespace snippary
