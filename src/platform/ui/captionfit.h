#pragma once
// The designed boxes were measured for a narrower font than a Linux desktop's:
// a caption that would be cut off takes the room its text needs instead, and the
// controls beside it make way.
#include <QList>

class QDialog;
class QString;
class QWidget;

namespace platform {

// Grows a label, check box, option box or frame to its caption, from the same
// corner; a word-wrapped label grows downwards.
void FitCaption(QWidget* caption);

// Fits a column of captions and, where the widest one would come closer than
// `gapPx` to the controls on its right, moves all of `right` along by as much.
// No caption then reaches into that column. Returns the move in pixels.
int FitCaptionColumn(const QList<QWidget*>& captions, const QList<QWidget*>& right, int gapPx);

// Grows a frame to hold its children with `marginPx` to spare right and below.
void GrowToChildren(QWidget* frame, int marginPx);

// The width a window manager's title bar needs to show `title` whole beside its
// buttons: the title in a bold face a fifth larger than the system font.
int TitleBarWidth(const QString& title);

// Keeps a dialog at least as wide as its title needs.
void WidenForTitle(QDialog& dialog);

}  // namespace platform
