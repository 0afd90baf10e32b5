#pragma once
// The layout rules of the library window, in twips of the window's outer size.
#include <QSize>

namespace snippary {

inline constexpr int MinWidthTwips = 5300;
inline constexpr int MinHeightTwips = 6100;
inline constexpr int TabTopTwips = 120;
// The designed tops of the pages' controls count from the top of the tab strip,
// whose row of tabs was designed this high; the pages begin below it.
inline constexpr int TabRowTwips = 360;

// The size the window must be given first, when it is below the minimum (each
// dimension on its own); the same size when it is large enough.
QSize ClampToMinimum(QSize outerTwips);

// Sizes of the tab strip and page 0, and the window size the other pages' rules
// see, for a window of W x H twips.
struct FrameLayout {
    int tabWidth = 0, tabHeight = 0;
    int lvTOCWidth = 0;
    int txtCodWidth = 0, txtCodHeight = 0;
    int pagesWidth = 0, pagesHeight = 0;
};
// `pageTop`: where the pages begin inside the strip, below its real tab row.
// `room`: the most the window's client area holds for the strip (a window
// manager's frame and a menu bar may take more than designed).
FrameLayout LayoutFor(int windowWidth, int windowHeight, int pageTop = TabRowTwips,
                      QSize room = QSize(1 << 24, 1 << 24));

// Designed positions of page 0, in twips relative to the tab strip.
namespace page0 {
inline constexpr int lvTOCLeft = 2520, lvTOCTop = 480, lvTOCWidth = 7095, lvTOCHeight = 2895;
inline constexpr int txtCodLeft = 120, txtCodTop = 3480, txtCodWidth = 9495, txtCodHeight = 3495;
}  // namespace page0

}  // namespace snippary
