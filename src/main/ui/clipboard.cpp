// Copy into Clipboard, the Edit menu and Insert.
#include <QClipboard>
#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTreeView>

#include "addin/insert.h"
#include "main/boxtext.h"
#include "main/snippetlistmodel.h"
#include "main/ui/frmsnippary.h"

namespace snippary {

namespace {
// The clipboard takes text with the desktop's line ends.
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

// Text boxes claim Ctrl+C, Ctrl+X and Ctrl+V for their own copy, cut and paste,
// which differ from the Edit menu's (a cut of nothing keeps the clipboard). Turning
// down that claim for the window's widgets lets the keys reach the menu's entries.
class EditKeys : public QObject {
public:
    explicit EditKeys(frmSnippary& window) : QObject(&window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType()) return false;
        if (static_cast<QWidget*>(watched)->window() != &window_) return false;
        const QKeySequence key(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const QAction* entry : window_.mnuEdit) {
            if (entry == nullptr || entry->shortcut() != key) continue;
            event->ignore();
            return true;
        }
        return false;
    }

private:
    frmSnippary& window_;
};
}  // namespace

void frmSnippary::RouteEditKeys() { qApp->installEventFilter(new EditKeys(*this)); }

void frmSnippary::cmdCopy_Click() {
    const QString selected = PlainSelection(txtCod);
    PutOnClipboard(selected.isEmpty() ? txtCod->toPlainText() : selected);
}

void frmSnippary::mnuEdit_Click(int index) {
    QWidget* focused = QApplication::focusWidget();
    QClipboard* cb = QGuiApplication::clipboard();
    if (focused == nullptr || cb == nullptr) return;
    QLineEdit* line = qobject_cast<QLineEdit*>(focused);
    if (line == nullptr) {
        if (auto* combo = qobject_cast<QComboBox*>(focused)) line = combo->lineEdit();
    }
    if (line != nullptr) {
        switch (index) {
        case 0: PutOnClipboard(line->selectedText()); break;
        case 1:
            PutOnClipboard(line->selectedText());
            if (!line->isReadOnly() && line->hasSelectedText()) line->del();
            break;
        case 2:
            if (!line->isReadOnly()) line->insert(cb->text());
            break;
        default: break;
        }
        return;
    }
    if (auto* box = qobject_cast<QPlainTextEdit*>(focused)) {
        switch (index) {
        case 0: PutOnClipboard(PlainSelection(box)); break;
        case 1:
            PutOnClipboard(PlainSelection(box));
            if (!box->isReadOnly()) box->textCursor().removeSelectedText();
            break;
        case 2:
            if (!box->isReadOnly()) box->insertPlainText(cb->text());
            break;
        default: break;
        }
    }
    // Any other control holds no text to copy: nothing happens.
}

void frmSnippary::cmdInsert_Click() {
    const int row = SelectedRow();
    const QString name = row >= 0 ? lvModel->Row(row).name : QString();
    const QString whole = shownContent.StoreText(txtCod->toPlainText());
    const QString selected = ToStoreText(PlainSelection(txtCod));
    addin::InsertSnippet(VBInst, sCurType, name, row >= 0, whole, selected);
}

}  // namespace snippary
