#include "main/categorystore.h"

#include <cmath>

namespace snippary {

qint32 WholePoints(double points) {
    // nearbyint rounds by the current mode, which is to nearest, ties to even.
    return static_cast<qint32>(std::nearbyint(points));
}

}  // namespace snippary
