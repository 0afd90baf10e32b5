#include "main/ui/codearchivepage.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTreeView>

#include "main/librarysession.h"
#include "main/snippetlistmodel.h"
#include "main/ui/editing.h"
#include "main/windowlayout.h"
#include "platform/prompts.h"
#include "platform/ui/twips.h"

namespace snippary {

using platform::TwipsRect;
using platform::TwipsToPx;

namespace {
// The snippet list knows whether its current row moved because the user pressed a
// key, or by itself: after a refill, a removal, or when it gets the focus.
class SnippetView : public QTreeView {
public:
    using QTreeView::QTreeView;
    bool keyMoving = false;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const QScopedValueRollback<bool> moving(keyMoving, true);
        QTreeView::keyPressEvent(event);
    }
};

QPushButton* Button(const char* name, const QString& caption, QWidget* parent, QRect r) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    b->setAutoDefault(false);
    return b;
}

QAction* Entry(QMenu* menu, const QString& name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

QListWidgetItem* NewCategoryItem(const Category& c, bool ticked) {
    auto* item = new QListWidgetItem(c.name);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, c.typeId);
    return item;
}

const QString kAttention = QStringLiteral("Atention");
}  // namespace

CodeArchivePage::CodeArchivePage(LibrarySession& library_, platform::Prompts& prompts_, QWidget* parent)
    : QWidget(parent), library(library_), prompts(prompts_) {
    lstTOC = new QListWidget(this);
    lstTOC->setObjectName(QStringLiteral("lstTOC"));
    lstTOC->setGeometry(TwipsRect(120, 480, 2295, 1410));
    lstTOC->setContextMenuPolicy(Qt::CustomContextMenu);
    cmdRefresh = Button("cmdRefresh", QStringLiteral("&Refresh"), this, TwipsRect(120, 2040, 2295, 255));
    cmdRefresh->setEnabled(false);
    cmdCopy = Button("cmdCopy", QStringLiteral("Copy into &Clipboard"), this, TwipsRect(120, 2400, 2295, 255));
    cmdInsert = Button("cmdInsert", QStringLiteral("&Insert"), this, TwipsRect(120, 2760, 2295, 255));
    cmdSaveCont = Button("cmdSaveCont", QStringLiteral("&Save new content"), this, TwipsRect(120, 3120, 2295, 255));
    cmdSaveCont->setEnabled(false);

    lvModel = new SnippetListModel(this);
    lvTOC = new SnippetView(this);
    lvTOC->setObjectName(QStringLiteral("lvTOC"));
    lvTOC->setGeometry(TwipsRect(page0::lvTOCLeft, page0::lvTOCTop, page0::lvTOCWidth, page0::lvTOCHeight));
    lvTOC->setRootIsDecorated(false);
    lvTOC->setItemsExpandable(false);
    lvTOC->setUniformRowHeights(true);
    lvTOC->setSortingEnabled(false);
    lvTOC->setSelectionMode(QAbstractItemView::SingleSelection);
    lvTOC->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvTOC->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvTOC->setContextMenuPolicy(Qt::CustomContextMenu);
    lvTOC->setModel(lvModel);
    lvTOC->header()->setSectionsClickable(true);
    lvTOC->header()->setStretchLastSection(false);
    for (int c = 0; c < SnippetListModel::ColumnCount; ++c) lvTOC->setColumnWidth(c, TwipsToPx(1440));

    txtCod = new QPlainTextEdit(this);
    txtCod->setObjectName(QStringLiteral("txtCod"));
    txtCod->setGeometry(TwipsRect(page0::txtCodLeft, page0::txtCodTop, page0::txtCodWidth, page0::txtCodHeight));
    txtCod->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtCod->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtCod->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    BuildMenus();
    ConnectControls();
}

void CodeArchivePage::BuildMenus() {
    mnuLstTOC = new QMenu(this);
    mnuLstTOC->setObjectName(QStringLiteral("mnuLstTOC"));
    mnuAddCat = Entry(mnuLstTOC, QStringLiteral("mnuAddCat"), QStringLiteral("&Add new category"));
    mnuDelCat = Entry(mnuLstTOC, QStringLiteral("mnuDelCat"), QStringLiteral("&Delete category"));
    mnuLstTOC->addSeparator();
    const std::array<QString, 3> selCaptions = {QStringLiteral("&Select all"), QStringLiteral("&Unselect all"),
                                                QStringLiteral("&Toggle selection")};
    for (size_t i = 0; i < 3; ++i)
        mnuLstSel[i] = Entry(mnuLstTOC, QStringLiteral("mnuLstSel_%1").arg(i), selCaptions[i]);
    mnuLstTOC->addSeparator();
    mnuRefresh2 = Entry(mnuLstTOC, QStringLiteral("mnuRefresh2"), QStringLiteral("&Refresh"));
    mnuLstTOC->setEnabled(false);

    mnulvTOC = new QMenu(this);
    mnulvTOC->setObjectName(QStringLiteral("mnulvTOC"));
    mnuDelItem = Entry(mnulvTOC, QStringLiteral("mnuDelItem"), QStringLiteral("&Delete item"));
    mnuChgDesc = Entry(mnulvTOC, QStringLiteral("mnuChgDesc"), QStringLiteral("Change d&escription"));
    mnuChgSource = Entry(mnulvTOC, QStringLiteral("mnuChgSource"), QStringLiteral("Change &source"));
    mnulvTOC->addSeparator();
    mnuExport2 = Entry(mnulvTOC, QStringLiteral("mnuExport2"), QStringLiteral("&Export as HTML"));
    mnulvTOC->addSeparator();
    mnuRefresh = Entry(mnulvTOC, QStringLiteral("mnuRefresh"), QStringLiteral("&Refresh"));
    mnulvTOC->setEnabled(false);
}

void CodeArchivePage::ConnectControls() {
    for (int i = 0; i < 3; ++i)
        connect(mnuLstSel[size_t(i)], &QAction::triggered, this, [this, i] { SelectCategories(i); });
    connect(mnuAddCat, &QAction::triggered, this, &CodeArchivePage::AddCategory);
    connect(mnuDelCat, &QAction::triggered, this, &CodeArchivePage::DeleteCategory);
    auto refresh = [this] {
        if (SaveOrDropEdits()) Refresh();
    };
    connect(mnuRefresh2, &QAction::triggered, this, refresh);
    connect(mnuRefresh, &QAction::triggered, this, refresh);
    connect(cmdRefresh, &QPushButton::clicked, this, refresh);
    connect(mnuDelItem, &QAction::triggered, this, &CodeArchivePage::DeleteItem);
    connect(mnuChgDesc, &QAction::triggered, this, [this] { ChangeField(true); });
    connect(mnuChgSource, &QAction::triggered, this, [this] { ChangeField(false); });
    connect(mnuExport2, &QAction::triggered, this, &CodeArchivePage::exportRequested);

    connect(lstTOC, &QListWidget::currentRowChanged, this,
            [this](int row) { mnuDelCat->setEnabled(CanDeleteCategoryAt(row)); });
    connect(lstTOC, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { mnuLstTOC->popup(lstTOC->viewport()->mapToGlobal(p)); });
    connect(lvTOC, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { mnulvTOC->popup(lvTOC->viewport()->mapToGlobal(p)); });
    connect(lvTOC->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        library.SortBy(section + 1);
        FillTOC();
    });
    connect(lvTOC, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { ShowRow(i.row()); });
    // Moving the current row with a key shows that snippet as a click does; a move
    // the list makes by itself shows nothing.
    connect(lvTOC->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                if (current.isValid() && static_cast<SnippetView*>(lvTOC)->keyMoving) ShowRow(current.row());
            });
    connect(lvTOC, &QAbstractItemView::doubleClicked, this, &CodeArchivePage::Insert);
    connect(txtCod, &QPlainTextEdit::textChanged, this, [this] {
        // Save writes the snippet the viewer shows; with none shown there is nothing to save.
        if (!noChange && library.shownId) cmdSaveCont->setEnabled(true);
    });
    connect(cmdCopy, &QPushButton::clicked, this, &CodeArchivePage::CopyIntoClipboard);
    connect(cmdInsert, &QPushButton::clicked, this, &CodeArchivePage::Insert);
    connect(cmdSaveCont, &QPushButton::clicked, this, [this] { SaveShown(true); });
}

template <typename F>
bool CodeArchivePage::Report(F change) {
    try {
        change();
        return true;
    } catch (const store::StoreError& e) {
        prompts.MsgBox(e.Message());
        return false;
    }
}

// ---- Categories ----

void CodeArchivePage::ShowCategories(const std::vector<Category>& categories, bool ticked) {
    for (const Category& c : categories) lstTOC->addItem(NewCategoryItem(c, ticked));
}

void CodeArchivePage::AddCategory() {
    if (lstTOC->count() == 0) return;
    const std::optional<QString> answer =
        prompts.InputBox(QStringLiteral("Name of new category?"), QStringLiteral("New category"));
    if (!answer || answer->isEmpty()) return;
    const QString& name = *answer;
    QList<QString> names;
    for (int i = 0; i < lstTOC->count(); ++i) names.append(lstTOC->item(i)->text());
    if (CategoryNameTaken(names, name)) {
        prompts.MsgBox(QStringLiteral("A category named %1 already exists.").arg(name));
        return;
    }
    Category added{0, name};
    if (!Report([&] { added.typeId = library.AddCategory(name); })) return;
    lstTOC->addItem(NewCategoryItem(added, false));
    Q_EMIT categoryAdded(added);
}

void CodeArchivePage::DeleteCategory() {
    const int i = lstTOC->currentRow();
    // The first five categories are kept, whichever entry asks.
    if (i < 0 || !CanDeleteCategoryAt(i)) return;
    if (prompts.MsgBox(QStringLiteral("Are you sure?\r\n(ALL items partain to this category will be deleted!)"),
                       platform::Prompts::YesNo, platform::Prompts::Exclamation, kAttention) != platform::Prompts::Yes)
        return;
    QListWidgetItem* item = lstTOC->item(i);
    if (!Report([&] { library.DeleteCategory(item->text(), item->data(Qt::UserRole).toLongLong()); })) return;
    Q_EMIT categoryRemoved(i);
    delete lstTOC->takeItem(i);
}

void CodeArchivePage::DeleteCategoryFromMenu() {
    if (lstTOC->currentRow() > 4) DeleteCategory();
}

void CodeArchivePage::SelectCategories(int how) {
    for (int i = 0; i < lstTOC->count(); ++i) {
        QListWidgetItem* item = lstTOC->item(i);
        const bool ticked = how == 0 || (how == 2 && item->checkState() != Qt::Checked);
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
}

// ---- Library open and closed ----

void CodeArchivePage::Opened() {
    cmdInsert->setEnabled(true);
    cmdCopy->setEnabled(true);
}

void CodeArchivePage::Closed() {
    lstTOC->clear();
    ShowInViewer(QString());
    lvModel->Clear();
    for (QPushButton* b : {cmdRefresh, cmdSaveCont, cmdCopy, cmdInsert}) b->setEnabled(false);
}

void CodeArchivePage::EnableRefresh() { cmdRefresh->setEnabled(true); }

void CodeArchivePage::EnableMenus(bool enabled) {
    mnulvTOC->setEnabled(enabled);
    mnuLstTOC->setEnabled(enabled);
}

// ---- The list ----

void CodeArchivePage::Refresh() {
    Q_EMIT searchEnded();
    Q_EMIT refreshed();
    QList<qint64> ticked;
    for (int i = 0; i < lstTOC->count(); ++i)
        if (lstTOC->item(i)->checkState() == Qt::Checked)
            ticked.append(lstTOC->item(i)->data(Qt::UserRole).toLongLong());
    library.Tick(ticked);
    FillTOC();
}

void CodeArchivePage::FillTOC() { lvModel->Reset(library.List()); }

void CodeArchivePage::AppendRow(const SnippetRow& row) { lvModel->Append(row); }

int CodeArchivePage::SelectedRow() const {
    const QModelIndexList rows = lvTOC->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

// ---- The viewer ----

void CodeArchivePage::ShowInViewer(const QString& storedContent) {
    library.shownContent.Set(storedContent);
    txtCod->setPlainText(library.shownContent.boxPlain);
    // The box gives back some characters changed (a no-break space as a space):
    // what it shows now is the unedited text.
    library.shownContent.boxPlain = txtCod->toPlainText();
}

void CodeArchivePage::ShowRow(int row) {
    if (row < 0 || row >= lvModel->rowCount()) return;
    const SnippetRow r = lvModel->Row(row);
    // A click on the row being edited keeps the edits.
    if (library.shownId == r.id && HasUnsavedEdits()) return;
    std::optional<QString> content;
    try {
        content = library.ReadContent(r.id);
    } catch (const store::StoreError&) {
        return;  // the viewer keeps what it showed, and stays bound to it
    }
    // A snippet that is gone (its category was deleted) cannot be shown.
    if (!content) return;
    if (!SaveOrDropEdits()) {
        SelectShownRow();
        return;
    }
    library.Show(r, *content);
    ShowInViewer(*content);
}

void CodeArchivePage::SelectShownRow() {
    QModelIndex shown;
    for (int i = 0; library.shownId && i < lvModel->rowCount(); ++i)
        if (lvModel->Row(i).id == *library.shownId) shown = lvModel->index(i, 0);
    if (shown.isValid())
        lvTOC->selectionModel()->setCurrentIndex(shown,
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else
        lvTOC->selectionModel()->clear();
}

bool CodeArchivePage::HasUnsavedEdits() const {
    return !noChange && cmdSaveCont->isEnabled() && library.Edited(txtCod->toPlainText());
}

bool CodeArchivePage::SaveOrDropEdits() {
    if (!HasUnsavedEdits()) return true;
    switch (prompts.MsgBox(QStringLiteral("Save the changes to %1?").arg(library.shownName),
                           platform::Prompts::YesNoCancel, platform::Prompts::Exclamation, kAttention)) {
    case platform::Prompts::Yes:
        return SaveShown(false);
    case platform::Prompts::No:
        // Dropped: the viewer shows the stored text again.
        txtCod->setPlainText(library.shownContent.boxPlain);
        return true;
    default:
        return false;
    }
}

bool CodeArchivePage::SaveShown(bool announce) {
    // The content goes to the snippet the viewer shows, not to whatever row a
    // refill left selected.
    if (!library.shownId) return false;
    LibrarySession::Saved saved = LibrarySession::Saved::Gone;
    if (!Report([&] { saved = library.SaveShown(txtCod->toPlainText()); })) return false;
    if (saved == LibrarySession::Saved::Changed) {
        // Another window or member saved it meanwhile: never overwritten unasked.
        switch (prompts.MsgBox(QStringLiteral("Someone else changed %1 since it was shown here.\r\nYes: save your text "
                                              "over theirs.\r\nNo: show theirs (your text goes to the clipboard)."
                                              "\r\nCancel: go on editing.")
                                   .arg(library.shownName),
                               platform::Prompts::YesNoCancel, platform::Prompts::Exclamation,
                               QStringLiteral("Atention"))) {
        case platform::Prompts::Yes:
            if (!Report([&] { saved = library.SaveShown(txtCod->toPlainText(), true); })) return false;
            break;
        case platform::Prompts::No: {
            QGuiApplication::clipboard()->setText(txtCod->toPlainText());
            std::optional<QString> theirs;
            if (!Report([&] { theirs = library.ReadContent(*library.shownId); })) return false;
            ShowInViewer(theirs.value_or(QString()));
            cmdSaveCont->setEnabled(false);
            return false;
        }
        default:
            return false;
        }
    }
    cmdSaveCont->setEnabled(false);
    if (saved == LibrarySession::Saved::Gone) {
        prompts.MsgBox(QStringLiteral("This snippet no longer exists in the library; your text is kept in the viewer."),
                       platform::Prompts::OkOnly, platform::Prompts::Exclamation);
        return false;
    }
    if (announce) prompts.MsgBox(QStringLiteral("Content saved!"));
    return true;
}

void CodeArchivePage::SetNoChange(bool noChange_) {
    noChange = noChange_;
    cmdSaveCont->setEnabled(!noChange && library.shownId);
}

void CodeArchivePage::ApplyFont(const QString& name, int size) { ApplyContentFont(txtCod, name, size); }

void CodeArchivePage::LayoutFor(const FrameLayout& l) {
    lvTOC->resize(TwipsToPx(l.lvTOCWidth), lvTOC->height());
    txtCod->resize(TwipsToPx(l.txtCodWidth), std::max(0, TwipsToPx(l.txtCodHeight)));
}

// ---- The list's context menu ----

void CodeArchivePage::DeleteItem() {
    const int row = SelectedRow();
    if (row < 0) return;
    if (prompts.MsgBox(QStringLiteral("Are you sure?"), platform::Prompts::YesNo, platform::Prompts::Exclamation,
                       kAttention) != platform::Prompts::Yes)
        return;
    const qint64 id = lvModel->Row(row).id;
    // The viewer is emptied: edits of another snippet are not lost unasked.
    if (library.shownId != id && !SaveOrDropEdits()) return;
    if (!Report([&] { library.DeleteSnippet(id); })) return;
    lvModel->Remove(row);
    // No snippet is shown any more, so there is nothing Save could write to.
    ShowInViewer(QString());
    cmdSaveCont->setEnabled(false);
}

void CodeArchivePage::ChangeField(bool description) {
    const int row = SelectedRow();
    if (row < 0) return;
    const SnippetRow& r = lvModel->Row(row);
    const std::optional<QString> answer =
        description
            ? prompts.InputBox(QStringLiteral("New description?"), QStringLiteral("New description"), r.description)
            : prompts.InputBox(QStringLiteral("New source of the code?"), QStringLiteral("New source"), r.source);
    if (!answer) return;  // cancelled: the snippet keeps its text
    const qint64 id = r.id;
    if (!Report([&] { description ? library.ChangeDescription(id, *answer) : library.ChangeSource(id, *answer); }))
        return;
    if (description)
        lvModel->SetDescription(row, *answer);
    else
        lvModel->SetSource(row, *answer);
}

// ---- Clipboard and Insert ----

void CodeArchivePage::CopyIntoClipboard() {
    const QString selected = PlainSelection(txtCod);
    PutOnClipboard(selected.isEmpty() ? txtCod->toPlainText() : selected);
}

void CodeArchivePage::Insert() {
    const int row = SelectedRow();
    const QString name = row >= 0 ? lvModel->Row(row).name : QString();
    Q_EMIT insertRequested(library.sCurType, name, row >= 0, library.shownContent.StoreText(txtCod->toPlainText()),
                           ToStoreText(PlainSelection(txtCod)));
}

}  // namespace snippary
