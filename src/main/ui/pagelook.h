#pragma once
// What the two pages share of their look: placing controls in twips and the bold
// caption font of required labels and frames.
#include <QFont>
#include <QWidget>

#include "platform/ui/twips.h"

namespace snippary {

inline void Place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(platform::TwipsRect(left, top, width, height));
}

inline QFont BoldCaptionFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

}  // namespace snippary
