#include "main/ui/editing.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace snippary {

QString PlainSelection(const QPlainTextEdit* box) {
    QString s = box->textCursor().selectedText();
    s.replace(QChar::ParagraphSeparator, u'\n');
    s.replace(QChar::LineSeparator, u'\n');
    return s;
}

void PutOnClipboard(const QString& text) {
    QClipboard* cb = QGuiApplication::clipboard();
    if (cb == nullptr) return;
    cb->clear();
    if (!text.isEmpty()) cb->setText(text);
}

namespace {
// Text boxes claim Ctrl+C, Ctrl+X and Ctrl+V for their own copy, cut and paste,
// which differ from the Edit menu's (a cut of nothing keeps the clipboard). Turning
// down that claim for the window's widgets lets the keys reach the menu's entries.
class EditKeys : public QObject {
public:
    EditKeys(QWidget& window, const std::array<QAction*, 3>& entries)
        : QObject(&window), window_(window), entries_(entries) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType()) return false;
        if (static_cast<QWidget*>(watched)->window() != &window_) return false;
        const QKeySequence key(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const QAction* entry : entries_) {
            if (entry == nullptr || entry->shortcut() != key) continue;
            event->ignore();
            return true;
        }
        return false;
    }

private:
    QWidget& window_;
    std::array<QAction*, 3> entries_;
};
}  // namespace

void RouteEditKeys(QWidget& window, const std::array<QAction*, 3>& entries) {
    qApp->installEventFilter(new EditKeys(window, entries));
}

void RunEditEntry(int index) {
    QWidget* focused = QApplication::focusWidget();
    QClipboard* cb = QGuiApplication::clipboard();
    if (focused == nullptr || cb == nullptr) return;
    QLineEdit* line = qobject_cast<QLineEdit*>(focused);
    if (line == nullptr) {
        if (auto* combo = qobject_cast<QComboBox*>(focused)) line = combo->lineEdit();
    }
    if (line != nullptr) {
        switch (index) {
        case 0:
            PutOnClipboard(line->selectedText());
            break;
        case 1:
            PutOnClipboard(line->selectedText());
            if (!line->isReadOnly() && line->hasSelectedText()) line->del();
            break;
        case 2:
            if (!line->isReadOnly()) line->insert(cb->text());
            break;
        default:
            break;
        }
        return;
    }
    if (auto* box = qobject_cast<QPlainTextEdit*>(focused)) {
        switch (index) {
        case 0:
            PutOnClipboard(PlainSelection(box));
            break;
        case 1:
            PutOnClipboard(PlainSelection(box));
            if (!box->isReadOnly()) box->textCursor().removeSelectedText();
            break;
        case 2:
            if (!box->isReadOnly()) box->insertPlainText(cb->text());
            break;
        default:
            break;
        }
    }
}

void ApplyContentFont(QPlainTextEdit* box, const QString& name, int size) {
    QFont f = box->font();
    if (!name.isEmpty()) f.setFamily(name);
    if (size > 0) f.setPointSize(size);
    box->setFont(f);
}

}  // namespace snippary
