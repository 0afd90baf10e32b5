// The snippet list and the viewer.
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include "main/snippetlistmodel.h"
#include "main/ui/frmsnippary.h"
#include "main/ui/addpage.h"
#include "main/ui/searchpage.h"
#include "platform/prompts.h"
#include "store/operations.h"
#include "store/statements.h"

namespace snippary {

void frmSnippary::Refresh() {
    if (changeWatch) changeWatch->Reset();
    setWindowTitle(QStringLiteral("Snippary"));
    sFind.clear();
    searchPage->txtFind->clear();
    QList<qint64> ticked;
    for (int i = 0; i < lstTOC->count(); ++i)
        if (lstTOC->item(i)->checkState() == Qt::Checked)
            ticked.append(lstTOC->item(i)->data(Qt::UserRole).toLongLong());
    sWhere = store::BuildWhere(ticked);
    FillTOC();
}

void frmSnippary::FillTOC() {
    lvModel->Clear();
    if (sWhere.isEmpty()) return;
    try {
        store::Recordset rs;
        rs.Open(store::stmt::SelectDisplay(sWhere, sFind, sOrder), &con);
        lvModel->Fill(rs);
        rs.Close();
    } catch (const store::StoreError&) {
        // A query that cannot run (a search text that does not parse) lists nothing.
    }
}

void frmSnippary::lvTOC_ColumnClick(int column) {
    sOrder = store::OrderForColumn(column, sOrder);
    FillTOC();
}

void frmSnippary::ShowInViewer(const QString& storedContent) {
    shownContent.Set(storedContent);
    txtCod->setPlainText(shownContent.boxPlain);
    // The box gives back some characters changed (a no-break space as a space):
    // what it shows now is the unedited text.
    shownContent.boxPlain = txtCod->toPlainText();
}

void frmSnippary::lvTOC_ItemClick(int row) {
    if (row < 0 || row >= lvModel->rowCount()) return;
    const SnippetRow r = lvModel->Row(row);
    // A click on the row being edited keeps the edits.
    if (shownId == r.id && HasUnsavedEdits()) return;
    QVariant content;
    try {
        store::Recordset rs;
        rs.Open(store::stmt::SelectContent(r.id), &con);
        // A snippet that is gone (its category was deleted) cannot be shown.
        if (rs.Eof()) return;
        content = rs.Fields(QStringLiteral("Content"));
        rs.Close();
    } catch (const store::StoreError&) {
        return;  // the viewer keeps what it showed, and stays bound to it
    }
    if (!SaveOrDropEdits()) {
        SelectShownRow();
        return;
    }
    sCurType = r.typeName;
    shownId = r.id;
    shownName = r.name;
    ShowInViewer(content.isNull() ? QString() : content.toString());
}

void frmSnippary::SelectShownRow() {
    QModelIndex shown;
    for (int i = 0; shownId && i < lvModel->rowCount(); ++i)
        if (lvModel->Row(i).id == *shownId) shown = lvModel->index(i, 0);
    if (shown.isValid())
        lvTOC->selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    else
        lvTOC->selectionModel()->clear();
}

void frmSnippary::lvTOC_DblClick() { cmdInsert_Click(); }

void frmSnippary::txtCod_Change() {
    // Save writes the snippet the viewer shows; with none shown there is nothing to save.
    if (lNoChange != 1 && shownId) cmdSaveCont->setEnabled(true);
}

bool frmSnippary::HasUnsavedEdits() const {
    return lNoChange != 1 && shownId && cmdSaveCont->isEnabled() &&
           txtCod->toPlainText() != shownContent.boxPlain;
}

bool frmSnippary::SaveOrDropEdits() {
    if (!HasUnsavedEdits()) return true;
    switch (prompts.MsgBox(QStringLiteral("Save the changes to %1?").arg(shownName), platform::Prompts::YesNoCancel,
                           platform::Prompts::Exclamation, QStringLiteral("Atention"))) {
    case platform::Prompts::Yes: return SaveShown(false);
    case platform::Prompts::No:
        // Dropped: the viewer shows the stored text again.
        txtCod->setPlainText(shownContent.boxPlain);
        return true;
    default: return false;
    }
}

void frmSnippary::cmdRefresh_Click() {
    if (SaveOrDropEdits()) Refresh();
}

bool frmSnippary::RunChange(const std::function<void()>& change) {
    try {
        change();
        return true;
    } catch (const store::StoreError& e) {
        prompts.MsgBox(e.Message());
        return false;
    }
}

void frmSnippary::cmdSaveCont_Click() { SaveShown(true); }

bool frmSnippary::SaveShown(bool announce) {
    // The content goes to the snippet the viewer shows, not to whatever row a
    // refill left selected.
    if (!shownId) return false;
    const QString text = shownContent.StoreText(txtCod->toPlainText());
    try {
        try {
            store::SaveContent(con, *shownId, text, &shownContent.original);
        } catch (const store::StoreError& e) {
            if (e.Number() != store::errors::kChanged) throw;
            // Another window or member saved it meanwhile: never overwritten unasked.
            switch (prompts.MsgBox(QStringLiteral("Someone else changed %1 since it was shown here.\r\nYes: save "
                                                  "your text over theirs.\r\nNo: show theirs (your text goes to "
                                                  "the clipboard).\r\nCancel: go on editing.")
                                       .arg(shownName),
                                   platform::Prompts::YesNoCancel, platform::Prompts::Exclamation,
                                   QStringLiteral("Atention"))) {
            case platform::Prompts::Yes: store::SaveContent(con, *shownId, text); break;
            case platform::Prompts::No: {
                if (QClipboard* cb = QGuiApplication::clipboard()) cb->setText(txtCod->toPlainText());
                store::Recordset rs;
                rs.Open(store::stmt::SelectContent(*shownId), &con);
                const QVariant theirs = rs.Eof() ? QVariant() : rs.Fields(QStringLiteral("Content"));
                rs.Close();
                ShowInViewer(theirs.isNull() ? QString() : theirs.toString());
                cmdSaveCont->setEnabled(false);
                return false;
            }
            default: return false;
            }
        }
    } catch (const store::StoreError& e) {
        if (e.Number() != store::errors::kDeleted) {
            prompts.MsgBox(e.Message());
            return false;
        }
        // Deleted behind the viewer's back: the typed text is all that is left of it.
        shownId.reset();
        cmdSaveCont->setEnabled(false);
        prompts.MsgBox(QStringLiteral("This snippet no longer exists in the library; your text is kept in the viewer."),
                       platform::Prompts::OkOnly, platform::Prompts::Exclamation);
        return false;
    }
    shownContent.original = text;
    shownContent.boxPlain = txtCod->toPlainText();
    if (announce) prompts.MsgBox(QStringLiteral("Content saved!"));
    cmdSaveCont->setEnabled(false);
    return true;
}

void frmSnippary::mnuDelItem_Click() {
    const int row = SelectedRow();
    if (row < 0) return;
    if (prompts.MsgBox(QStringLiteral("Are you sure?"), platform::Prompts::YesNo, platform::Prompts::Exclamation,
                       QStringLiteral("Atention")) != platform::Prompts::Yes)
        return;
    const qint64 id = lvModel->Row(row).id;
    // The viewer is emptied: edits of another snippet are not lost unasked.
    if (shownId != id && !SaveOrDropEdits()) return;
    if (!RunChange([&] { store::DeleteSnippet(con, id); })) return;
    lvModel->Remove(row);
    // No snippet is shown any more, so there is nothing Save could write to.
    shownId.reset();
    shownName.clear();
    ShowInViewer(QString());
    cmdSaveCont->setEnabled(false);
}

void frmSnippary::ChangeField(bool description) {
    const int row = SelectedRow();
    if (row < 0) return;
    const SnippetRow& r = lvModel->Row(row);
    const std::optional<QString> answer =
        description ? prompts.InputBox(QStringLiteral("New description?"), QStringLiteral("New description"),
                                       r.description)
                    : prompts.InputBox(QStringLiteral("New source of the code?"), QStringLiteral("New source"),
                                       r.source);
    if (!answer) return;  // cancelled: the snippet keeps its text
    const qint64 id = r.id;
    if (!RunChange([&] {
            if (description)
                store::ChangeDescription(con, id, *answer);
            else
                store::ChangeSource(con, id, *answer);
        }))
        return;
    if (description)
        lvModel->SetDescription(row, *answer);
    else
        lvModel->SetSource(row, *answer);
}

void frmSnippary::mnuChgDesc_Click() { ChangeField(true); }
void frmSnippary::mnuChgSource_Click() { ChangeField(false); }

void frmSnippary::AppendAddedRow(const SnippetRow& row) { lvModel->Append(row); }

}  // namespace snippary
