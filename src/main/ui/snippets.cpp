// The snippet list and the viewer.
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include "main/snippetlistmodel.h"
#include "main/ui/frmsnippary.h"
#include "main/ui/parts.h"
#include "platform/prompts.h"
#include "store/statements.h"

namespace snippary {

void frmSnippary::Refresh() {
    sFind.clear();
#if SNIPPARY_HAVE_PAGES
    searchPage->txtFind->clear();
#endif
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
}

void frmSnippary::lvTOC_ItemClick(int row) {
    if (row < 0 || row >= lvModel->rowCount()) return;
    const SnippetRow& r = lvModel->Row(row);
    try {
        store::Recordset rs;
        rs.Open(store::stmt::SelectContent(r.id), &con);
        const QVariant content = rs.Eof() ? QVariant() : rs.Fields(QStringLiteral("Content"));
        rs.Close();
        sCurType = r.typeName;
        shownId = r.id;
        ShowInViewer(content.isNull() ? QString() : content.toString());
    } catch (const store::StoreError&) {
        // The viewer keeps what it showed.
        sCurType = r.typeName;
    }
}

void frmSnippary::lvTOC_DblClick() { cmdInsert_Click(); }

void frmSnippary::txtCod_Change() {
    if (lNoChange != 1) cmdSaveCont->setEnabled(true);
}

bool frmSnippary::RunUpdate(const QString& statement) {
    try {
        con.Execute(statement);
        return true;
    } catch (const store::StoreError& e) {
        prompts.MsgBox(e.Message());
        return false;
    }
}

void frmSnippary::cmdSaveCont_Click() {
    // The content goes to the snippet the viewer shows, not to whatever row a
    // refill left selected.
    if (!shownId) return;
    const QString text = shownContent.StoreText(txtCod->toPlainText());
    if (!RunUpdate(store::stmt::UpdateContent(*shownId, text))) return;
    shownContent.original = text;
    shownContent.boxPlain = txtCod->toPlainText();
    prompts.MsgBox(QStringLiteral("Content saved!"));
    cmdSaveCont->setEnabled(false);
}

void frmSnippary::mnuDelItem_Click() {
    const int row = SelectedRow();
    if (row < 0) return;
    if (prompts.MsgBox(QStringLiteral("Are you sure?"), platform::Prompts::YesNo, platform::Prompts::Exclamation,
                       QStringLiteral("Atention")) != platform::Prompts::Yes)
        return;
    const qint64 id = lvModel->Row(row).id;
    if (!RunUpdate(store::stmt::DeleteCode(id))) return;
    lvModel->Remove(row);
    if (shownId == id) shownId.reset();
    ShowInViewer(QString());
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
    if (!RunUpdate(description ? store::stmt::UpdateDescription(id, *answer)
                               : store::stmt::UpdateSource(id, *answer)))
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
