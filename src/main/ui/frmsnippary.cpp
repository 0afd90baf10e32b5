// Construction of the window's pages and menus, and the wiring between them.
#include "main/ui/frmsnippary.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QTabWidget>

#include "about/help.h"
#include "about/ui/frmabout.h"
#include "addin/insert.h"
#include "export/colorline.h"
#include "export/ui/frmexport.h"
#include "main/ui/addpage.h"
#include "main/ui/codearchivepage.h"
#include "main/ui/editing.h"
#include "main/ui/searchpage.h"
#include "main/windowlayout.h"
#include "platform/prompts.h"
#include "platform/ui/twips.h"

namespace snippary {

using platform::TwipsRect;
using platform::TwipsToPx;

frmSnippary::frmSnippary(platform::Prompts& prompts_, QWidget* parent) : QMainWindow(parent), prompts(prompts_) {
    setWindowTitle(QStringLiteral("Snippary"));
    setWindowIcon(about::ProgramIcon());
    BuildControls();
    BuildMenus();
    ConnectControls();
    Form_Load();
}

frmSnippary::~frmSnippary() {
    if (!unloaded) Form_Unload();
    // The pages work on the session, which goes before the base class deletes its children.
    delete takeCentralWidget();
}

qint32 frmSnippary::CountStr(const QString& s1, const QString& s2) { return exporting::CountStr(s1, s2); }

void frmSnippary::BuildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    resize(TwipsToPx(9750), TwipsToPx(7215));

    SSTab1 = new QTabWidget(central);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(TwipsRect(0, TabTopTwips, 9735, 7095));
    page0 = new CodeArchivePage(library, prompts);
    page0->setObjectName(QStringLiteral("page0"));
    searchPage = new SearchPage;
    addPage = new AddPage(prompts);
    addPage->SetConnection(&library.con);
    SSTab1->addTab(page0, QStringLiteral("&Code Archive"));
    SSTab1->addTab(searchPage, QStringLiteral("&Search"));
    SSTab1->addTab(addPage, QStringLiteral("&Add to Archive"));
    SSTab1->setCurrentIndex(0);
}

namespace {
QAction* Entry(QMenu* menu, const QString& name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

QMenu* Menu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    return m;
}

// Three entries named name_0 to name_2, checkable when asked.
std::array<QAction*, 3> Entries(QMenu* menu, const QString& name, const std::array<QString, 3>& captions,
                                bool checkable) {
    std::array<QAction*, 3> out{};
    for (size_t i = 0; i < 3; ++i) {
        out[i] = Entry(menu, name + QStringLiteral("_%1").arg(i), captions[i]);
        out[i]->setCheckable(checkable);
    }
    return out;
}
}  // namespace

void frmSnippary::BuildMenus() {
    QMenuBar* bar = menuBar();
    mnuFile = Menu(bar, "mnuFile", QStringLiteral("&File"));
    mnuNewDB = Entry(mnuFile, QStringLiteral("mnuNewDB"), QStringLiteral("&New database..."));
    mnuLoad = Entry(mnuFile, QStringLiteral("mnuLoad"), QStringLiteral("&Load database..."));
    mnuCloseDB = Entry(mnuFile, QStringLiteral("mnuCloseDB"), QStringLiteral("&Close database"));
    mnuFile->addSeparator();
    mnuExport = Entry(mnuFile, QStringLiteral("mnuExport"), QStringLiteral("&Export as HTML"));
    mnuImport = Entry(mnuFile, QStringLiteral("mnuImport"), QStringLiteral("&Import..."));
    mnuFile->addSeparator();
    mnuExit = Entry(mnuFile, QStringLiteral("mnuExit"), QStringLiteral("E&xit"));

    mnuEd = Menu(bar, "mnuEd", QStringLiteral("&Edit"));
    mnuEdit = Entries(mnuEd, QStringLiteral("mnuEdit"),
                      {QStringLiteral("&Copy"), QStringLiteral("Cu&t"), QStringLiteral("&Paste")}, false);
    const std::array<QKeyCombination, 3> editKeys = {Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_X, Qt::CTRL | Qt::Key_V};
    for (size_t i = 0; i < 3; ++i) mnuEdit[i]->setShortcut(QKeySequence(editKeys[i]));

    mnuViewAll = Menu(bar, "mnuViewAll", QStringLiteral("&View"));
    mnuView =
        Entries(mnuViewAll, QStringLiteral("mnuView"),
                {QStringLiteral("&Code archive"), QStringLiteral("&Search"), QStringLiteral("&Add to archive")}, true);
    mnuViewAll->addSeparator();
    mnuViewDB = Entry(mnuViewAll, QStringLiteral("mnuViewDB"), QStringLiteral("&DB name"));

    mnuOptions = Menu(bar, "mnuOptions", QStringLiteral("&Options"));
    mnuOpt = Entries(mnuOptions, QStringLiteral("mnuOpt"),
                     {QStringLiteral("&Load database at startup"), QStringLiteral("Load li&st at startup"),
                      QStringLiteral("No &change existing code")},
                     true);
    mnuOptions->addSeparator();
    mnuChgFont = Entry(mnuOptions, QStringLiteral("mnuChgFont"), QStringLiteral("&Change content font"));
    mnuOptions->addSeparator();
    mnuAddCat2 = Entry(mnuOptions, QStringLiteral("mnuAddCat2"), QStringLiteral("&Add new category"));
    mnuDelCat2 = Entry(mnuOptions, QStringLiteral("mnuDelCat2"), QStringLiteral("&Delete category"));

    mnuHelp = Menu(bar, "mnuHelp", QStringLiteral("&Help"));
    mnuContents = Entry(mnuHelp, QStringLiteral("mnuContents"), QStringLiteral("&Contents"));
    mnuWeb = Entry(mnuHelp, QStringLiteral("mnuWeb"), QStringLiteral("&Web site"));
    mnuHelp->addSeparator();
    mnuAbout = Entry(mnuHelp, QStringLiteral("mnuAbout"), QStringLiteral("&About..."));
}

void frmSnippary::ConnectControls() {
    connect(mnuNewDB, &QAction::triggered, this, [this] { mnuNewDB_Click(); });
    connect(mnuLoad, &QAction::triggered, this, [this] { mnuLoad_Click(); });
    connect(mnuCloseDB, &QAction::triggered, this, [this] { CloseLibrary(); });
    connect(mnuExport, &QAction::triggered, this, [this] {
        if (frmExport != nullptr) frmExport->exec();
    });
    connect(mnuImport, &QAction::triggered, this, [this] { mnuImport_Click(); });
    connect(mnuExit, &QAction::triggered, this, [this] { close(); });
    for (int i = 0; i < 3; ++i) {
        connect(mnuEdit[size_t(i)], &QAction::triggered, this, [i] { RunEditEntry(i); });
        connect(mnuView[size_t(i)], &QAction::triggered, this, [this, i] { mnuView_Click(i); });
        connect(mnuOpt[size_t(i)], &QAction::triggered, this, [this, i] { mnuOpt_Click(i); });
    }
    RouteEditKeys(*this, mnuEdit);
    connect(mnuViewDB, &QAction::triggered, this, [this] { mnuViewDB_Click(); });
    connect(mnuChgFont, &QAction::triggered, this, [this] { mnuChgFont_Click(); });
    connect(mnuAddCat2, &QAction::triggered, page0, &CodeArchivePage::AddCategory);
    connect(mnuDelCat2, &QAction::triggered, page0, &CodeArchivePage::DeleteCategoryFromMenu);
    connect(mnuContents, &QAction::triggered, this, [this] { about::OpenHelpContents(prompts); });
    connect(mnuWeb, &QAction::triggered, this, [this] { about::OpenHomePage(prompts); });
    connect(mnuAbout, &QAction::triggered, this, [this] { mnuAbout_Click(); });

    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int) { SSTab1_Click(lTab); });
    connect(searchPage, &SearchPage::findRequested, this, [this](const QString& find) {
        library.sFind = find;
        SSTab1->setCurrentIndex(0);
        page0->FillTOC();
    });
    connect(addPage, &AddPage::snippetAdded, page0, &CodeArchivePage::AppendRow);

    // The category list and the Add page's choice of category hold the same names.
    connect(page0, &CodeArchivePage::categoryAdded, addPage, &AddPage::AddCategory);
    connect(page0, &CodeArchivePage::categoryRemoved, addPage, &AddPage::RemoveCategory);
    connect(page0, &CodeArchivePage::searchEnded, searchPage, &SearchPage::EndSearch);
    connect(page0, &CodeArchivePage::exportRequested, mnuExport, &QAction::trigger);
    connect(page0, &CodeArchivePage::refreshed, this, [this] {
        if (changeWatch) changeWatch->Reset();
        setWindowTitle(QStringLiteral("Snippary"));
    });
    connect(
        page0, &CodeArchivePage::insertRequested, this,
        [this](const QString& type, const QString& name, bool rowSelected, const QString& whole,
               const QString& selected) { addin::InsertSnippet(VBInst, type, name, rowSelected, whole, selected); });

    // F1 answers in this window whichever control has the focus, and not in others (the About box).
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, [this] { about::OpenHelpIndex(prompts); });
}

void frmSnippary::mnuAbout_Click() {
    if (!frmAbout) {
        auto* box = new about::frmAbout(prompts);
        box->setAttribute(Qt::WA_DeleteOnClose);
        frmAbout = box;
    }
    frmAbout->show();
    frmAbout->raise();
}

}  // namespace snippary
