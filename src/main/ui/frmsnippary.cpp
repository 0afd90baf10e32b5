// Construction of the window's controls and menus.
#include "main/ui/frmsnippary.h"

#include <QAction>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTabWidget>
#include <QTreeView>

#include "main/snippetlistmodel.h"
#include "about/ui/frmabout.h"
#include "main/ui/addpage.h"
#include "main/ui/searchpage.h"
#include "main/windowlayout.h"
#include "platform/prompts.h"
#include "platform/ui/twips.h"

namespace snippary {

using platform::TwipsRect;
using platform::TwipsToPx;

frmSnippary::frmSnippary(platform::Prompts& prompts_, QWidget* parent)
    : QMainWindow(parent), prompts(prompts_) {
    setWindowTitle(QStringLiteral("Snippary"));
    setWindowIcon(about::ProgramIcon());
    BuildControls();
    BuildMenus();
    ConnectControls();
    Form_Load();
}

frmSnippary::~frmSnippary() {
    if (!unloaded) Form_Unload();
}

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

QPushButton* Button(const QString& caption, QWidget* parent, QRect r) {
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(r);
    b->setAutoDefault(false);
    return b;
}
}  // namespace

void frmSnippary::BuildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    resize(TwipsToPx(9750), TwipsToPx(7215));

    SSTab1 = new QTabWidget(central);
    SSTab1->setGeometry(TwipsRect(0, TabTopTwips, 9735, 7095));

    page0 = new QWidget;
    lstTOC = new QListWidget(page0);
    lstTOC->setGeometry(TwipsRect(120, 480, 2295, 1410));
    lstTOC->setContextMenuPolicy(Qt::CustomContextMenu);
    cmdRefresh = Button(QStringLiteral("&Refresh"), page0, TwipsRect(120, 2040, 2295, 255));
    cmdRefresh->setEnabled(false);
    cmdCopy = Button(QStringLiteral("Copy into &Clipboard"), page0, TwipsRect(120, 2400, 2295, 255));
    cmdInsert = Button(QStringLiteral("&Insert"), page0, TwipsRect(120, 2760, 2295, 255));
    cmdSaveCont = Button(QStringLiteral("&Save new content"), page0, TwipsRect(120, 3120, 2295, 255));
    cmdSaveCont->setEnabled(false);

    lvModel = new SnippetListModel(this);
    lvTOC = new SnippetView(page0);
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

    txtCod = new QPlainTextEdit(page0);
    txtCod->setGeometry(TwipsRect(page0::txtCodLeft, page0::txtCodTop, page0::txtCodWidth, page0::txtCodHeight));
    txtCod->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtCod->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtCod->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    SSTab1->addTab(page0, QStringLiteral("&Code Archive"));
    searchPage = new SearchPage;
    addPage = new AddPage(prompts);
    addPage->SetConnection(&con);
    SSTab1->addTab(searchPage, QStringLiteral("&Search"));
    SSTab1->addTab(addPage, QStringLiteral("&Add to Archive"));
    SSTab1->setCurrentIndex(0);
}

void frmSnippary::BuildMenus() {
    QMenuBar* bar = menuBar();
    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuNewDB = mnuFile->addAction(QStringLiteral("&New database..."));
    mnuLoad = mnuFile->addAction(QStringLiteral("&Load database..."));
    mnuCloseDB = mnuFile->addAction(QStringLiteral("&Close database"));
    mnuFile->addSeparator();
    mnuExport = mnuFile->addAction(QStringLiteral("&Export as HTML"));
    mnuImport = mnuFile->addAction(QStringLiteral("&Import..."));
    mnuFile->addSeparator();
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));

    mnuEd = bar->addMenu(QStringLiteral("&Edit"));
    const std::array<QString, 3> editCaptions = {QStringLiteral("&Copy"), QStringLiteral("Cu&t"),
                                                 QStringLiteral("&Paste")};
    const std::array<QKeySequence, 3> editKeys = {QKeySequence(Qt::CTRL | Qt::Key_C),
                                                  QKeySequence(Qt::CTRL | Qt::Key_X),
                                                  QKeySequence(Qt::CTRL | Qt::Key_V)};
    for (size_t i = 0; i < 3; ++i) {
        mnuEdit[i] = mnuEd->addAction(editCaptions[i]);
        mnuEdit[i]->setShortcut(editKeys[i]);
    }

    mnuViewAll = bar->addMenu(QStringLiteral("&View"));
    const std::array<QString, 3> viewCaptions = {QStringLiteral("&Code archive"), QStringLiteral("&Search"),
                                                 QStringLiteral("&Add to archive")};
    for (size_t i = 0; i < 3; ++i) {
        mnuView[i] = mnuViewAll->addAction(viewCaptions[i]);
        mnuView[i]->setCheckable(true);
    }
    mnuViewAll->addSeparator();
    mnuViewDB = mnuViewAll->addAction(QStringLiteral("&DB name"));

    mnuOptions = bar->addMenu(QStringLiteral("&Options"));
    const std::array<QString, 3> optCaptions = {QStringLiteral("&Load database at startup"),
                                                QStringLiteral("Load li&st at startup"),
                                                QStringLiteral("No &change existing code")};
    for (size_t i = 0; i < 3; ++i) {
        mnuOpt[i] = mnuOptions->addAction(optCaptions[i]);
        mnuOpt[i]->setCheckable(true);
    }
    mnuOptions->addSeparator();
    mnuChgFont = mnuOptions->addAction(QStringLiteral("&Change content font"));
    mnuOptions->addSeparator();
    mnuAddCat2 = mnuOptions->addAction(QStringLiteral("&Add new category"));
    mnuDelCat2 = mnuOptions->addAction(QStringLiteral("&Delete category"));

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuContents = mnuHelp->addAction(QStringLiteral("&Contents"));
    mnuWeb = mnuHelp->addAction(QStringLiteral("&Web site"));
    mnuHelp->addSeparator();
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About..."));

    mnuLstTOC = new QMenu(this);
    mnuAddCat = mnuLstTOC->addAction(QStringLiteral("&Add new category"));
    mnuDelCat = mnuLstTOC->addAction(QStringLiteral("&Delete category"));
    mnuLstTOC->addSeparator();
    const std::array<QString, 3> selCaptions = {QStringLiteral("&Select all"), QStringLiteral("&Unselect all"),
                                                QStringLiteral("&Toggle selection")};
    for (size_t i = 0; i < 3; ++i) mnuLstSel[i] = mnuLstTOC->addAction(selCaptions[i]);
    mnuLstTOC->addSeparator();
    mnuRefresh2 = mnuLstTOC->addAction(QStringLiteral("&Refresh"));
    mnuLstTOC->setEnabled(false);

    mnulvTOC = new QMenu(this);
    mnuDelItem = mnulvTOC->addAction(QStringLiteral("&Delete item"));
    mnuChgDesc = mnulvTOC->addAction(QStringLiteral("Change d&escription"));
    mnuChgSource = mnulvTOC->addAction(QStringLiteral("Change &source"));
    mnulvTOC->addSeparator();
    mnuExport2 = mnulvTOC->addAction(QStringLiteral("&Export as HTML"));
    mnulvTOC->addSeparator();
    mnuRefresh = mnulvTOC->addAction(QStringLiteral("&Refresh"));
    mnulvTOC->setEnabled(false);
}

void frmSnippary::ConnectControls() {
    connect(mnuNewDB, &QAction::triggered, this, [this] { mnuNewDB_Click(); });
    connect(mnuLoad, &QAction::triggered, this, [this] { mnuLoad_Click(); });
    connect(mnuCloseDB, &QAction::triggered, this, [this] { mnuCloseDB_Click(); });
    connect(mnuExport, &QAction::triggered, this, [this] { mnuExport_Click(); });
    connect(mnuImport, &QAction::triggered, this, [this] { mnuImport_Click(); });
    connect(mnuExit, &QAction::triggered, this, [this] { close(); });
    for (int i = 0; i < 3; ++i) {
        connect(mnuEdit[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] { mnuEdit_Click(i); });
        connect(mnuView[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] { mnuView_Click(i); });
        connect(mnuOpt[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] { mnuOpt_Click(i); });
        connect(mnuLstSel[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] { mnuLstSel_Click(i); });
    }
    RouteEditKeys();
    connect(mnuViewDB, &QAction::triggered, this, [this] { mnuViewDB_Click(); });
    connect(mnuChgFont, &QAction::triggered, this, [this] { mnuChgFont_Click(); });
    connect(mnuAddCat2, &QAction::triggered, this, [this] { mnuAddCat_Click(); });
    connect(mnuDelCat2, &QAction::triggered, this, [this] { mnuDelCat2_Click(); });
    connect(mnuContents, &QAction::triggered, this, [this] { mnuContents_Click(); });
    connect(mnuWeb, &QAction::triggered, this, [this] { mnuWeb_Click(); });
    connect(mnuAbout, &QAction::triggered, this, [this] { mnuAbout_Click(); });
    connect(mnuAddCat, &QAction::triggered, this, [this] { mnuAddCat_Click(); });
    connect(mnuDelCat, &QAction::triggered, this, [this] { mnuDelCat_Click(); });
    connect(mnuRefresh2, &QAction::triggered, this, [this] { cmdRefresh_Click(); });
    connect(mnuDelItem, &QAction::triggered, this, [this] { mnuDelItem_Click(); });
    connect(mnuChgDesc, &QAction::triggered, this, [this] { mnuChgDesc_Click(); });
    connect(mnuChgSource, &QAction::triggered, this, [this] { mnuChgSource_Click(); });
    connect(mnuExport2, &QAction::triggered, this, [this] { mnuExport_Click(); });
    connect(mnuRefresh, &QAction::triggered, this, [this] { cmdRefresh_Click(); });

    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int) { SSTab1_Click(lTab); });
    connect(lstTOC, &QListWidget::currentRowChanged, this, [this](int) { lstTOC_Click(); });
    connect(lstTOC, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { mnuLstTOC->popup(lstTOC->viewport()->mapToGlobal(p)); });
    connect(lvTOC, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { mnulvTOC->popup(lvTOC->viewport()->mapToGlobal(p)); });
    connect(lvTOC->header(), &QHeaderView::sectionClicked, this,
            [this](int section) { lvTOC_ColumnClick(section + 1); });
    connect(lvTOC, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { lvTOC_ItemClick(i.row()); });
    // Moving the current row with a key shows that snippet as a click does; a move
    // the list makes by itself shows nothing.
    connect(lvTOC->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                if (current.isValid() && static_cast<SnippetView*>(lvTOC)->keyMoving)
                    lvTOC_ItemClick(current.row());
            });
    connect(lvTOC, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { lvTOC_DblClick(); });
    connect(txtCod, &QPlainTextEdit::textChanged, this, [this] { txtCod_Change(); });
    connect(cmdRefresh, &QPushButton::clicked, this, [this] { cmdRefresh_Click(); });
    connect(cmdCopy, &QPushButton::clicked, this, [this] { cmdCopy_Click(); });
    connect(cmdInsert, &QPushButton::clicked, this, [this] { cmdInsert_Click(); });
    connect(cmdSaveCont, &QPushButton::clicked, this, [this] { cmdSaveCont_Click(); });
    connect(searchPage, &SearchPage::findRequested, this, [this](const QString& find) {
        sFind = find;
        SSTab1->setCurrentIndex(0);
        FillTOC();
    });
    connect(addPage, &AddPage::snippetAdded, this, [this](const SnippetRow& row) { AppendAddedRow(row); });

    // F1 answers in this window whichever control has the focus, and not in others (the About box).
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, [this] { OpenHelpIndex(); });
}

int frmSnippary::SelectedRow() const {
    const QModelIndexList rows = lvTOC->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

}  // namespace snippary
