// The category lists: filling them from the library, adding, deleting, ticking.
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "main/categorystore.h"
#include "main/snippetlistmodel.h"
#include "main/ui/frmsnippary.h"
#include "main/ui/addpage.h"
#include "main/ui/searchpage.h"
#include "platform/prompts.h"
#include "store/ui/frmloaddb.h"

namespace snippary {

namespace {
QListWidgetItem* NewCategoryItem(const Category& c, bool ticked) {
    auto* item = new QListWidgetItem(c.name);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, c.typeId);
    return item;
}
}  // namespace

void frmSnippary::FillTypes() {
    if (con.State() == store::adStateOpen) con.Close();
    cmdRefresh->setEnabled(true);
    {
        store::frmLoadDB dlg(prompts, con, sDb, sPass, this);
        dlg.SetPath(sDb);
        dlg.convertForeign = [this](const QString& path) { return OfferAccessConversion(path); };
        if (runLoadDB)
            runLoadDB(dlg);
        else
            dlg.exec();
    }
    if (con.State() != store::adStateOpen) return;
    OpenLoaded();
}

void frmSnippary::OpenLoaded() {
    try {
        store::Recordset rs;
        for (const Category& c : ReadCategories(con, rs)) {
            lstTOC->addItem(NewCategoryItem(c, lLoadList == 1));
            addPage->cmbType->addItem(c.name, QVariant::fromValue<qint64>(c.typeId));
        }
    } catch (const store::StoreError&) {
        // A library whose categories cannot be read shows no categories.
    }
    // Filling selects the first entry; a new snippet's category is the user's choice.
    addPage->cmbType->setCurrentIndex(-1);
    delete changeWatch;
    changeWatch = new store::ChangeWatch(con, this);
    connect(changeWatch, &store::ChangeWatch::ChangedByOthers, this,
            [this] { setWindowTitle(QStringLiteral("Snippary - changed by others since the last Refresh")); });
    Refresh();
    cmdInsert->setEnabled(true);
    cmdCopy->setEnabled(true);
    addPage->EnableAdd();
}

void frmSnippary::lstTOC_Click() {
    mnuDelCat->setEnabled(CanDeleteCategoryAt(lstTOC->currentRow()));
}

void frmSnippary::mnuAddCat_Click() {
    if (lstTOC->count() == 0) return;
    const std::optional<QString> answer =
        prompts.InputBox(QStringLiteral("Name of new category?"), QStringLiteral("New category"));
    if (!answer || answer->isEmpty()) return;
    const QString name = *answer;
    QList<QString> names;
    for (int i = 0; i < lstTOC->count(); ++i) names.append(lstTOC->item(i)->text());
    if (CategoryNameTaken(names, name)) {
        prompts.MsgBox(QStringLiteral("A category named %1 already exists.").arg(name));
        return;
    }
    qint64 typeId = 0;
    try {
        typeId = InsertCategory(con, name);
    } catch (const store::StoreError& e) {
        prompts.MsgBox(e.Message());
        return;
    }
    lstTOC->addItem(NewCategoryItem(Category{typeId, name}, false));
    addPage->cmbType->addItem(name, QVariant::fromValue<qint64>(typeId));
}

void frmSnippary::mnuDelCat_Click() {
    const int i = lstTOC->currentRow();
    if (i < 0) return;
    // The first five categories are kept, whichever entry asks.
    if (!CanDeleteCategoryAt(i)) return;
    if (prompts.MsgBox(QStringLiteral("Are you sure?\r\n(ALL items partain to this category will be deleted!)"),
                       platform::Prompts::YesNo, platform::Prompts::Exclamation,
                       QStringLiteral("Atention")) != platform::Prompts::Yes)
        return;
    QListWidgetItem* item = lstTOC->item(i);
    try {
        DeleteCategory(con, item->text(), item->data(Qt::UserRole).toLongLong());
    } catch (const store::StoreError& e) {
        prompts.MsgBox(e.Message());
        return;
    }
    // The list would move the choice to a neighbour; a deleted choice is no choice.
    const bool chosen = addPage->cmbType->currentIndex() == i;
    addPage->cmbType->removeItem(i);
    if (chosen) addPage->cmbType->setCurrentIndex(-1);
    delete lstTOC->takeItem(i);
}

void frmSnippary::mnuDelCat2_Click() {
    if (lstTOC->currentRow() > 4) mnuDelCat_Click();
}

void frmSnippary::mnuLstSel_Click(int index) {
    for (int i = 0; i < lstTOC->count(); ++i) {
        QListWidgetItem* item = lstTOC->item(i);
        switch (index) {
        case 0: item->setCheckState(Qt::Checked); break;
        case 1: item->setCheckState(Qt::Unchecked); break;
        case 2: item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); break;
        default: break;
        }
    }
}

}  // namespace snippary
