#include "main/categorystore.h"

#include <cmath>

namespace snippary {

bool CategoryNameTaken(const QList<QString>& names, const QString& name) {
    for (const QString& n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

qint32 WholePoints(double points) {
    // nearbyint rounds by the current mode, which is to nearest, ties to even.
    return static_cast<qint32>(std::nearbyint(points));
}

}  // namespace snippary
