#include "platform/ui/captionfit.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpacerItem>
#include <algorithm>
#include <climits>

namespace platform {

namespace {

// The width the caption's text needs, indicator and margins included.
int NeededWidth(QWidget* caption) {
    if (auto* frame = qobject_cast<QGroupBox*>(caption)) return frame->minimumSizeHint().width();
    return caption->sizeHint().width();
}

}  // namespace

void FitCaption(QWidget* caption) {
    if (auto* label = qobject_cast<QLabel*>(caption); label != nullptr && label->wordWrap()) {
        // As wide as its longest word, which cannot be broken; then as high as its lines.
        const QFontMetrics metrics(label->font());
        int width = label->width();
        for (const QString& word : label->text().split(u' ', Qt::SkipEmptyParts))
            width = std::max(width, metrics.size(Qt::TextShowMnemonic, word).width() + 2 * label->margin());
        label->resize(width, std::max(label->height(), label->heightForWidth(width)));
        return;
    }
    if (qobject_cast<QGroupBox*>(caption) != nullptr) {
        caption->resize(std::max(caption->width(), NeededWidth(caption)), caption->height());
        return;
    }
    caption->resize(caption->size().expandedTo(caption->sizeHint()));
}

int FitCaptionColumn(const QList<QWidget*>& captions, const QList<QWidget*>& right, int gapPx) {
    int column = INT_MAX;
    for (const QWidget* w : right) column = std::min(column, w->x());
    if (column == INT_MAX) {
        for (QWidget* c : captions) FitCaption(c);
        return 0;
    }
    int shift = 0;
    for (QWidget* c : captions) {
        FitCaption(c);
        if (auto* label = qobject_cast<QLabel*>(c); label != nullptr && label->wordWrap()) continue;
        shift = std::max(shift, c->x() + NeededWidth(c) + gapPx - column);
    }
    for (QWidget* w : right) w->move(w->x() + shift, w->y());
    // A designed box wider than its text stops short of the column all the same.
    const int limit = column + shift - gapPx;
    for (QWidget* c : captions)
        if (c->x() + c->width() > limit) c->resize(std::max(limit - c->x(), NeededWidth(c)), c->height());
    return shift;
}

void GrowToChildren(QWidget* frame, int marginPx) {
    QSize size = frame->size();
    for (const QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) continue;
        size = size.expandedTo(QSize(child->x() + child->width() + marginPx, child->y() + child->height() + marginPx));
    }
    frame->resize(size);
}

int TitleBarWidth(const QString& title) {
    QFont font = QApplication::font();
    font.setBold(true);
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 1.2);
    else
        font.setPixelSize(font.pixelSize() * 6 / 5);
    const QFontMetrics metrics(font);
    // Room for an icon on the left and three buttons on the right, each about
    // two lines high and square.
    return metrics.horizontalAdvance(title) + 8 * metrics.height();
}

void WidenForTitle(QDialog& dialog) {
    const int width = TitleBarWidth(dialog.windowTitle());
    // Some dialogs build their layout only when first asked for their size.
    (void)dialog.sizeHint();
    // Message boxes fix their own size from their layout; a spacer as wide as
    // the title is what they honour.
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      std::max(1, grid->columnCount()));
    } else if (QLayout* layout = dialog.layout()) {
        layout->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
    } else {
        dialog.setMinimumWidth(width);
    }
}

}  // namespace platform
