#pragma once
// The layout rules of the library window, in twips of the window's outer size.
#include <QSize>

namespace snippary {

inline constexpr int MinWidthTwips = 5300;
inline constexpr int MinHeightTwips = 6100;
inline constexpr int TabTopTwips = 120;

// The size the window must be given first, when it is below the minimum (each
// dimension on its own); the same size when it is large enough.
QSize ClampToMinimum(QSize outerTwips);

// Sizes of page 0 and of the tab strip for a window of W x H twips.
struct FrameLayout {
    int tabWidth = 0, tabHeight = 0;
    int lvTOCWidth = 0;
    int txtCodWidth = 0, txtCodHeight = 0;
};
FrameLayout LayoutFor(int windowWidth, int windowHeight);

// Designed positions of page 0, in twips relative to the page.
namespace page0 {
inline constexpr int lvTOCLeft = 2520, lvTOCTop = 480, lvTOCWidth = 7095, lvTOCHeight = 2895;
inline constexpr int txtCodLeft = 120, txtCodTop = 3480, txtCodWidth = 9495, txtCodHeight = 3495;
}  // namespace page0

}  // namespace snippary
