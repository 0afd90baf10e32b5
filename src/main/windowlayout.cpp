#include "main/windowlayout.h"

#include <algorithm>

namespace snippary {

QSize ClampToMinimum(QSize outerTwips) {
    return QSize(std::max(outerTwips.width(), MinWidthTwips), std::max(outerTwips.height(), MinHeightTwips));
}

FrameLayout LayoutFor(int W, int H, int pageTop, QSize room) {
    FrameLayout l;
    l.tabWidth = std::min(W - 100, room.width());
    l.tabHeight = std::min(H - TabTopTwips - 800, room.height());
    // What the pages lack against the design, from a strip kept inside the client
    // area and a tab row higher than designed, every rule gives up at once.
    const int narrower = (W - 100) - l.tabWidth;
    const int lower = (H - TabTopTwips - 800) - l.tabHeight + (pageTop - TabRowTwips);
    l.pagesWidth = W - narrower;
    l.pagesHeight = H - lower;
    l.lvTOCWidth = l.pagesWidth - page0::lvTOCLeft - 200;
    l.txtCodWidth = l.pagesWidth - page0::txtCodLeft - 200;
    l.txtCodHeight = l.tabHeight - (page0::txtCodTop + pageTop - TabRowTwips) - 100;
    return l;
}

}  // namespace snippary
