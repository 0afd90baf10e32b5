#pragma once
// The text commands the window's boxes share: the clipboard with plain line ends,
// the Edit menu's entries, and the content font.
#include <QString>
#include <array>

class QAction;
class QPlainTextEdit;
class QWidget;

namespace snippary {

// The box's selection with the desktop's line ends.
QString PlainSelection(const QPlainTextEdit* box);
// The clipboard holds `text`, or nothing for an empty one.
void PutOnClipboard(const QString& text);
// Copy (0), Cut (1) or Paste (2) in the box with the focus; other controls hold no text.
void RunEditEntry(int index);
// Lets the Edit menu's keys reach its entries in every box of `window`.
void RouteEditKeys(QWidget& window, const std::array<QAction*, 3>& entries);
// An unset name or size keeps the box's own.
void ApplyContentFont(QPlainTextEdit* box, const QString& name, int size);

}  // namespace snippary
