#include "main/windowlayout.h"

#include <algorithm>

namespace snippary {

QSize ClampToMinimum(QSize outerTwips) {
    return QSize(std::max(outerTwips.width(), MinWidthTwips), std::max(outerTwips.height(), MinHeightTwips));
}

FrameLayout LayoutFor(int W, int H) {
    FrameLayout l;
    l.tabWidth = W - 100;
    l.tabHeight = H - TabTopTwips - 800;
    l.lvTOCWidth = W - page0::lvTOCLeft - 200;
    l.txtCodWidth = W - page0::txtCodLeft - 200;
    l.txtCodHeight = l.tabHeight - page0::txtCodTop - 100;
    return l;
}

}  // namespace snippary
