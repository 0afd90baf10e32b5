// Copy into Clipboard, the Edit menu and Insert.
#include <QClipboard>
#include <QComboBox>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTreeView>

#include "addin/insert.h"
#include "main/boxtext.h"
#include "main/snippetlistmodel.h"
#include "main/ui/frmsnippary.h"
#include "main/ui/parts.h"

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
}  // namespace

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
