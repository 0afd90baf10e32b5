// The main window's flows on a real library, every question answered by script.
#include <QtTest>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include "main/categorystore.h"
#include "main/snippetlistmodel.h"
#include "main/ui/addpage.h"
#include "main/ui/searchpage.h"
#include "main/ui/frmsnippary.h"
#include "platform/folders.h"
#include "platform/scriptedprompts.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "store/sqliteengine.h"
#include "store/statements.h"
#include "store/ui/frmloaddb.h"
#include "main/windowlayout.h"
#include "platform/twips.h"
#include "settings/registry.h"
#include "testsupport.h"

using platform::Prompts;
using platform::ScriptedPrompts;
using snippary::frmSnippary;

namespace {

QStringList Items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

QStringList Combo(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

QStringList Names(const frmSnippary& w) {
    QStringList out;
    for (const auto& r : w.lvModel->Rows()) out << r.name;
    return out;
}

const QStringList kPermanent = {"Modules", "Classes", "API Declarations", "Functions", "Snippets"};

}  // namespace

class tst_window : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void loadAndClose();
    void failedLoad();
    void dialogClosed();
    void categories();
    void categoryRefusals_data();
    void categoryRefusals();
    void listAndViewer();
    void saveAndChangeFailures();
    void searchAndSort();
    void pagesKeepOneViewMark();
    void layoutAtSizes_data();
    void layoutAtSizes();
    void restartRestoresState();
    void clipboardAndEditMenu();
    void closeForgetsPassword();

private:
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<frmSnippary> w;

    void Load(const QString& library, const QString& password = QString());
    void Verify();
    void Seed();
};

void tst_window::initTestCase() {
    testsupport::UseTestEnvironment();
    QVERIFY(dir.isValid());
}

void tst_window::init() {
    static int n = 0;
    path = dir.filePath(QStringLiteral("w%1.snip").arg(++n));
    store::CreateLibrary(path, QString(), false);
    // The window writes its settings when it closes; every case starts from none, so a
    // stored "load at start-up" never opens the Load Database dialog in a later case or run.
    QFile::remove(platform::SettingsFile());
    settings::RegWriteString(settings::HKEY_LOCAL_MACHINE, QString::fromLatin1(settings::RegistryKey),
                             QStringLiteral("Tab"), QStringLiteral("0"));
    prompts = std::make_unique<ScriptedPrompts>();
    w = std::make_unique<frmSnippary>(*prompts);
}

void tst_window::cleanup() {
    w.reset();
    if (prompts) {
        QVERIFY2(prompts->Unexpected().isEmpty(), qPrintable(prompts->Unexpected().join("; ")));
        QVERIFY2(prompts->AllConsumed(), qPrintable(prompts->Pending().join("; ")));
    }
}

// File > Load database with the dialog filled and confirmed.
void tst_window::Load(const QString& library, const QString& password) {
    w->runLoadDB = [library, password](store::frmLoadDB& d) {
        d.SetPath(library);
        d.txtPass->setText(password);
        d.cmdOk_Click();
    };
    w->mnuLoad_Click();
}

void tst_window::Verify() {
    QVERIFY2(prompts->Unexpected().isEmpty(), qPrintable(prompts->Unexpected().join("; ")));
    QVERIFY2(prompts->AllConsumed(), qPrintable(prompts->Pending().join("; ")));
}

void tst_window::Seed() {
    store::ConnectionString cs;
    cs.dataSource = path;
    store::Connection con;
    con.Open(cs.Build());
    con.Execute(store::stmt::InsertCode(1, "Zeta", "z", "3/3/2001", "web", "Sub Zeta()\r\nEnd Sub"));
    con.Execute(store::stmt::InsertCode(4, "alpha", "it's", "1/15/2002 3:04:05 PM", "book", "' it's here"));
    con.Execute(store::stmt::InsertCode(4, "Beta", "", "12/1/2002", "", "Dim s As String"));
}

void tst_window::loadAndClose() {
    Load(path);
    QCOMPARE(w->con.State(), store::adStateOpen);
    QCOMPARE(Items(w->lstTOC), kPermanent);
    QCOMPARE(Combo(w->addPage->cmbType), kPermanent);
    QCOMPARE(w->sDb, path);
    QVERIFY(w->mnuExport->isEnabled());
    QVERIFY(w->cmdRefresh->isEnabled());

    prompts->ExpectMsgBox("Database selected: " + path);
    w->mnuViewDB_Click();
    QCOMPARE(prompts->History().last().title, QString("Snippary"));

    w->mnuCloseDB_Click();
    w->mnuCloseDB_Click();  // twice: no message
    QCOMPARE(w->con.State(), store::adStateClosed);
    QVERIFY(Items(w->lstTOC).isEmpty());
    QCOMPARE(w->addPage->cmbType->count(), 0);
    QVERIFY(!w->mnuExport->isEnabled());
    QVERIFY(!w->cmdRefresh->isEnabled());
    prompts->ExpectMsgBox("Database selected: ");
    w->mnuViewDB_Click();
    // Load database always starts with an empty path box.
    w->runLoadDB = [](store::frmLoadDB& d) {
        QVERIFY(d.txtDB->text().isEmpty());
        QVERIFY(d.optProvider[0]->isChecked());
        d.cmdClose_Click();
    };
    w->mnuLoad_Click();
    Verify();
}

void tst_window::failedLoad() {
    const QString missing = dir.filePath("missing.snip");
    prompts->ExpectMsgBox("3024 # Could not find file '" + missing + "'.");
    Load(missing);
    Verify();
    QCOMPARE(w->con.State(), store::adStateClosed);
    QCOMPARE(w->sDb, missing);
    QVERIFY(Items(w->lstTOC).isEmpty());
    QVERIFY(w->cmdRefresh->isEnabled());
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(prompts->History().last().title, QString("VBSnippary"));

    // An encrypted library with a wrong password.
    const QString secret = dir.filePath("secret.snip");
    store::CreateLibrary(secret, "right", false);
    prompts->ExpectMsgBox("3031 # Not a valid password.");
    Load(secret, "wrong");
    Verify();
    Load(secret, "right");
    QCOMPARE(Items(w->lstTOC), kPermanent);
    QCOMPARE(w->sPass, QString("right"));
}

void tst_window::dialogClosed() {
    w->runLoadDB = [](store::frmLoadDB& d) { d.cmdClose_Click(); };
    w->mnuLoad_Click();
    QCOMPARE(w->con.State(), store::adStateClosed);
    QVERIFY(Items(w->lstTOC).isEmpty());
    // The context menus and the export entry are enabled all the same.
    QVERIFY(w->mnuExport->isEnabled());
    QVERIFY(w->mnuLstTOC->isEnabled());
    QVERIFY(w->mnulvTOC->isEnabled());
    // No question about categories without a library.
    w->mnuAddCat_Click();
    Verify();
}

void tst_window::categories() {
    Load(path);
    // Cancelled or empty answers add nothing; a name already there is refused.
    prompts->ExpectInputBox(std::nullopt, "Name of new category?");
    w->mnuAddCat_Click();
    prompts->ExpectInputBox(QString(), "Name of new category?");
    w->mnuAddCat_Click();
    prompts->ExpectInputBox(QString("snippets"));
    prompts->ExpectMsgBox("A category named snippets already exists.");
    w->mnuAddCat_Click();
    QCOMPARE(Items(w->lstTOC), kPermanent);
    prompts->ExpectInputBox(QString("Bob's"));
    w->mnuAddCat_Click();
    prompts->ExpectInputBox(QString("Forms"));
    w->mnuAddCat_Click();
    Verify();
    QCOMPARE(Items(w->lstTOC), kPermanent + QStringList({"Bob's", "Forms"}));
    QCOMPARE(Combo(w->addPage->cmbType), Items(w->lstTOC));
    QCOMPARE(w->lstTOC->item(5)->data(Qt::UserRole).toLongLong(), 6);
    QCOMPARE(w->lstTOC->item(6)->data(Qt::UserRole).toLongLong(), 7);

    // The first five are protected.
    for (int i = 0; i < 5; ++i) {
        w->lstTOC->setCurrentRow(i);
        w->lstTOC_Click();
        QVERIFY(!w->mnuDelCat->isEnabled());
        w->mnuDelCat2_Click();
    }
    Verify();
    // Deleting at position 5 moves the next one up in both lists.
    w->lstTOC->setCurrentRow(5);
    w->lstTOC_Click();
    QVERIFY(w->mnuDelCat->isEnabled());
    prompts->ExpectMsgBox("Are you sure?\r\n(ALL items partain to this category will be deleted!)", Prompts::No);
    w->mnuDelCat_Click();
    QCOMPARE(w->lstTOC->count(), 7);
    prompts->ExpectMsgBox("Are you sure?\r\n(ALL items partain to this category will be deleted!)", Prompts::Yes);
    w->mnuDelCat_Click();
    Verify();
    QCOMPARE(Items(w->lstTOC), kPermanent + QStringList{"Forms"});
    QCOMPARE(Combo(w->addPage->cmbType), Items(w->lstTOC));

    // Ticks: all, none, toggle.
    w->lstTOC->item(1)->setCheckState(Qt::Checked);
    w->mnuLstSel_Click(2);
    QCOMPARE(w->lstTOC->item(1)->checkState(), Qt::Unchecked);
    QCOMPARE(w->lstTOC->item(0)->checkState(), Qt::Checked);
    w->mnuLstSel_Click(1);
    for (int i = 0; i < w->lstTOC->count(); ++i) QCOMPARE(w->lstTOC->item(i)->checkState(), Qt::Unchecked);
    w->mnuLstSel_Click(0);
    for (int i = 0; i < w->lstTOC->count(); ++i) QCOMPARE(w->lstTOC->item(i)->checkState(), Qt::Checked);

    // The library holds the same as the lists.
    store::Recordset rs;
    QStringList stored;
    for (rs.Open(store::stmt::SelectTypes(), &w->con); !rs.Eof(); rs.MoveNext()) stored << rs.Fields("TypeName").toString();
    QCOMPARE(stored, Items(w->lstTOC));
}

// A category change the library cannot take leaves both lists, the categories and
// their snippets as they were, and the user is told.
void tst_window::categoryRefusals_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("message");
    QTest::newRow("library held by another program") << "held" << "3260 # ";
    QTest::newRow("name added meanwhile elsewhere") << "added elsewhere" << "A category named tools already exists.";
    QTest::newRow("two categories of one name") << "duplicates" << "More than one category is named Dup";
}

void tst_window::categoryRefusals() {
    QFETCH(QString, situation);
    QFETCH(QString, message);
    if (situation == "duplicates")  // a library of the first version, before names were unique
        store::sqlite::OpenFile(path, "", false, false)
            ->Exec("DROP INDEX TypeNames; PRAGMA user_version=1; INSERT INTO Types(TypeName) VALUES('Dup'), ('Dup')");
    Load(path);
    if (situation == "held") {
        prompts->ExpectInputBox(QString("Mine"));
        w->mnuAddCat2->trigger();
    }
    w->con.Execute(store::stmt::InsertCode(6, "kept", "", "1/1/2002", "", "x"));
    store::ConnectionString cs;
    cs.dataSource = path;
    store::Connection other;  // another window or program on the same library
    other.Open(cs.Build());
    if (situation == "added elsewhere") snippary::InsertCategory(other, "Tools");
    auto stored = [&] {
        store::Recordset rs;
        rs.Open("SELECT (SELECT count(*) FROM Types) || ' ' || (SELECT count(*) FROM Code WHERE TypeID=6)", &w->con);
        return rs.Fields(0).toString();
    };
    const QString before = stored();
    const QStringList listed = Items(w->lstTOC);
    if (situation == "added elsewhere") {
        prompts->ExpectInputBox(QString("tools"));
    } else {
        if (situation == "held") other.BeginTrans();
        w->lstTOC->setCurrentRow(5);
        prompts->ExpectMsgBox("Are you sure?\r\n(ALL items partain to this category will be deleted!)", Prompts::Yes);
    }
    prompts->ExpectMsgBoxContaining(message);
    (situation == "added elsewhere" ? w->mnuAddCat2 : w->mnuDelCat2)->trigger();
    other.RollbackTrans();
    Verify();
    QCOMPARE(Items(w->lstTOC), listed);
    QCOMPARE(stored(), before);
}

void tst_window::listAndViewer() {
    Seed();
    Load(path);
    QVERIFY(Names(*w).isEmpty());  // nothing ticked yet
    w->lstTOC->item(3)->setCheckState(Qt::Checked);
    w->lstTOC->item(0)->setCheckState(Qt::Checked);
    w->Refresh();
    QCOMPARE(w->sWhere, QString(" WHERE ( Types.TypeID=1 OR Types.TypeID=4)"));
    QCOMPARE(Names(*w).size(), 3);
    w->lvTOC_ColumnClick(1);
    QCOMPARE(Names(*w), QStringList({"alpha", "Beta", "Zeta"}));
    QCOMPARE(w->lvModel->data(w->lvModel->index(0, 3)).toString(), QString("1/15/2002 3:04:05 PM"));
    QCOMPARE(w->lvModel->data(w->lvModel->index(1, 2)).toString(), QString());
    w->lvTOC_ColumnClick(4);
    QCOMPARE(Names(*w), QStringList({"Zeta", "alpha", "Beta"}));

    // A row click shows its code; Save writes to that snippet even after a refill.
    w->lvTOC_ItemClick(0);
    QCOMPARE(w->txtCod->toPlainText(), QString("Sub Zeta()\nEnd Sub"));
    w->txtCod->setPlainText("Sub Zeta()\nMsgBox \"it's\"\nEnd Sub");
    w->lvTOC_ColumnClick(1);  // Zeta is now the last row
    prompts->ExpectMsgBox("Content saved!");
    w->cmdSaveCont_Click();
    Verify();
    store::Recordset rs;
    rs.Open(store::stmt::SelectContent(1), &w->con);
    QCOMPARE(rs.Fields("Content").toString(), QString("Sub Zeta()\r\nMsgBox \"it's\"\r\nEnd Sub"));
    rs.Close();
    QVERIFY(!w->cmdSaveCont->isEnabled());

    // Change description: cancelled keeps it, an answer is stored.
    w->lvTOC->setCurrentIndex(w->lvModel->index(0, 0));  // alpha
    prompts->ExpectInputBox(std::nullopt, "New description?");
    w->mnuChgDesc_Click();
    QCOMPARE(w->lvModel->Row(0).description, QString("it's"));
    prompts->ExpectInputBox(QString("O'Brien's"), "New description?");
    w->mnuChgDesc_Click();
    prompts->ExpectInputBox(QString("new source"), "New source of the code?");
    w->mnuChgSource_Click();
    Verify();
    QCOMPARE(w->lvModel->Row(0).description, QString("O'Brien's"));
    w->Refresh();
    w->lvTOC_ColumnClick(1);
    QCOMPARE(w->lvModel->Row(0).description, QString("O'Brien's"));
    QCOMPARE(w->lvModel->Row(0).source, QString("new source"));

    // Delete item: No keeps it, Yes removes it from list and library.
    w->lvTOC->setCurrentIndex(w->lvModel->index(0, 0));
    prompts->ExpectMsgBox("Are you sure?", Prompts::No);
    w->mnuDelItem_Click();
    QCOMPARE(Names(*w).size(), 3);
    prompts->ExpectMsgBox("Are you sure?", Prompts::Yes);
    w->mnuDelItem_Click();
    Verify();
    QCOMPARE(Names(*w), QStringList({"Beta", "Zeta"}));
    w->Refresh();
    QCOMPARE(Names(*w).size(), 2);
}

// A change the library refuses is reported; the list and the viewer keep their text.
void tst_window::saveAndChangeFailures() {
    Seed();
    Load(path);
    w->lstTOC->item(0)->setCheckState(Qt::Checked);
    w->Refresh();
    w->lvTOC_ItemClick(0);
    w->txtCod->setPlainText("typed, never lost");
    QVERIFY(w->cmdSaveCont->isEnabled());
    store::ConnectionString cs;
    cs.dataSource = path;
    store::Connection other;
    other.Open(cs.Build());
    other.BeginTrans();
    prompts->ExpectMsgBoxContaining("3260 # ");
    w->cmdSaveCont_Click();
    QVERIFY(w->cmdSaveCont->isEnabled());
    QCOMPARE(w->txtCod->toPlainText(), QString("typed, never lost"));
    other.RollbackTrans();
    prompts->ExpectMsgBox("Content saved!");
    w->cmdSaveCont_Click();
    Verify();
    other.BeginTrans();
    w->lvTOC->setCurrentIndex(w->lvModel->index(0, 0));
    prompts->ExpectMsgBox("Are you sure?", Prompts::Yes);
    prompts->ExpectMsgBoxContaining("3260 # ");
    w->mnuDelItem_Click();
    other.RollbackTrans();
    Verify();
    QCOMPARE(Names(*w), QStringList{"Zeta"});
    store::Recordset rs;
    rs.Open(store::stmt::SelectContent(1), &w->con);
    QCOMPARE(rs.Fields("Content").toString(), QString("typed, never lost"));
}

void tst_window::searchAndSort() {
    Seed();
    Load(path);
    w->mnuLstSel_Click(0);
    w->Refresh();
    w->lvTOC_ColumnClick(1);
    // A search inside the categories of the last Refresh, kept by a sort.
    w->sFind = store::BuildFind("IT'S", {true, true, true, true}, "1/1/2002", "");
    w->FillTOC();
    QCOMPARE(Names(*w), QStringList{"alpha"});
    w->lvTOC_ColumnClick(4);
    QCOMPARE(Names(*w), QStringList{"alpha"});
    // Refresh ends the search.
    w->Refresh();
    QVERIFY(w->sFind.isEmpty());
    QCOMPARE(Names(*w).size(), 3);
    // No category ticked: no query, whatever the search says.
    w->mnuLstSel_Click(1);
    w->Refresh();
    QVERIFY(w->sWhere.isEmpty());
    QVERIFY(Names(*w).isEmpty());
}

namespace {
int CheckedView(const frmSnippary& w) {
    int checked = -1, count = 0;
    for (int i = 0; i < 3; ++i)
        if (w.mnuView[static_cast<size_t>(i)]->isChecked()) checked = i, ++count;
    return count == 1 ? checked : -1 - count;
}
}  // namespace

// Whether by tab or by the View menu, the page in front is the one marked, and only it.
void tst_window::pagesKeepOneViewMark() {
    QCOMPARE(w->SSTab1->currentIndex(), 0);
    QCOMPARE(CheckedView(*w), 0);
    const struct { bool byMenu; int page; } steps[] = {{false, 2}, {true, 1}, {true, 1}, {false, 0}, {true, 2}, {false, 1}};
    for (const auto& step : steps) {
        if (step.byMenu)
            w->mnuView[static_cast<size_t>(step.page)]->trigger();
        else
            w->SSTab1->setCurrentIndex(step.page);
        QCOMPARE(w->SSTab1->currentIndex(), step.page);
        QCOMPARE(CheckedView(*w), step.page);
        QCOMPARE(w->lTab, step.page);
    }
}

void tst_window::layoutAtSizes_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("page");
    QTest::newRow("minimum, list") << 5300 << 6100 << 0;
    QTest::newRow("default, list") << 9000 << 8000 << 0;
    QTest::newRow("wide, list") << 16000 << 12000 << 0;
    QTest::newRow("too small, list") << 2000 << 1500 << 0;
    QTest::newRow("too narrow, search") << 3000 << 9000 << 1;
    QTest::newRow("wide, add") << 14000 << 10000 << 2;
}

// Any size ends at least at the minimum, the tab strip and page 0 follow the window.
void tst_window::layoutAtSizes() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, page);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->SSTab1->setCurrentIndex(page);
    w->SetOuterSizeTwips(width, height);
    QTRY_VERIFY(w->WidthTwips() >= std::min(width, snippary::MinWidthTwips) - platform::TwipsPerPixel);
    const int W = w->WidthTwips();
    const int H = w->HeightTwips();
    QVERIFY2(W >= snippary::MinWidthTwips - platform::TwipsPerPixel, qPrintable(QString::number(W)));
    QVERIFY2(H >= snippary::MinHeightTwips - platform::TwipsPerPixel, qPrintable(QString::number(H)));
    if (width >= snippary::MinWidthTwips) QVERIFY(qAbs(W - width) <= platform::TwipsPerPixel);
    const snippary::FrameLayout l = snippary::LayoutFor(std::max(W, snippary::MinWidthTwips),
                                                        std::max(H, snippary::MinHeightTwips));
    QCOMPARE(w->SSTab1->width(), platform::TwipsToPx(l.tabWidth));
    QCOMPARE(w->SSTab1->height(), platform::TwipsToPx(l.tabHeight));
    if (page == 0) {
        QCOMPARE(w->lvTOC->width(), platform::TwipsToPx(l.lvTOCWidth));
        QCOMPARE(w->txtCod->width(), platform::TwipsToPx(l.txtCodWidth));
        QCOMPARE(w->txtCod->height(), platform::TwipsToPx(l.txtCodHeight));
    }
    w->hide();
}

// A first start has the defaults; closing stores page, options, font, size and library,
// and the next start brings them back and loads the library through the dialog.
void tst_window::restartRestoresState() {
    QCOMPARE(w->SSTab1->currentIndex(), 0);
    QVERIFY(!w->mnuOpt[0]->isChecked());
    QVERIFY(w->sDb.isEmpty());
    QCOMPARE(w->con.State(), store::adStateClosed);

    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    Load(path);
    w->mnuOpt_Click(0);  // load at start-up
    w->mnuOpt_Click(2);  // no change of existing code
    QVERIFY(w->mnuOpt[0]->isChecked());
    w->sFontName = QStringLiteral("Monospace");
    w->lFontSize = 12;
    w->SetOuterSizeTwips(10005, 8505);
    w->SSTab1->setCurrentIndex(2);
    QVERIFY(w->close());
    w.reset();
    QVERIFY(QFileInfo::exists(platform::SettingsFile()));

    // The stored library is opened at start: the dialog comes up already filled in.
    bool dialogShown = false;
    QTimer::singleShot(0, this, [&dialogShown] {
        auto* dlg = qobject_cast<store::frmLoadDB*>(QApplication::activeModalWidget());
        if (dlg == nullptr) return;
        dialogShown = true;
        dlg->cmdOk_Click();
    });
    w = std::make_unique<frmSnippary>(*prompts);
    QVERIFY(dialogShown);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->con.State(), store::adStateOpen);
    QCOMPARE(w->sDb, path);
    QCOMPARE(Items(w->lstTOC), kPermanent);
    QCOMPARE(w->SSTab1->currentIndex(), 2);
    QCOMPARE(CheckedView(*w), 2);
    QVERIFY(w->mnuOpt[0]->isChecked());
    QVERIFY(!w->mnuOpt[1]->isChecked());
    QVERIFY(w->mnuOpt[2]->isChecked());
    QCOMPARE(w->sFontName, QString("Monospace"));
    QCOMPARE(w->lFontSize, 12);
    QVERIFY(qAbs(w->WidthTwips() - 10005) <= platform::TwipsPerPixel);
    QVERIFY(qAbs(w->HeightTwips() - 8505) <= platform::TwipsPerPixel);
}

// Copy into Clipboard takes the viewer's selection or all of it; the Edit menu works on
// whichever box has the focus, and on nothing when no box has.
void tst_window::clipboardAndEditMenu() {
    QClipboard* cb = QGuiApplication::clipboard();
    QVERIFY(cb != nullptr);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));

    w->txtCod->setPlainText("Sub A()\nEnd Sub");
    w->cmdCopy_Click();
    QCOMPARE(cb->text(), QString("Sub A()\nEnd Sub"));
    QTextCursor c = w->txtCod->textCursor();
    c.setPosition(4);
    c.setPosition(5, QTextCursor::KeepAnchor);
    w->txtCod->setTextCursor(c);
    w->cmdCopy_Click();
    QCOMPARE(cb->text(), QString("A"));

    // Cut and paste in a line box of the search page.
    w->SSTab1->setCurrentIndex(1);
    QLineEdit* find = w->searchPage->txtFind;
    find->setText("alpha beta");
    find->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(find));
    find->setSelection(0, 6);
    w->mnuEdit[1]->trigger();  // Cut
    QCOMPARE(cb->text(), QString("alpha "));
    QCOMPARE(find->text(), QString("beta"));
    find->setCursorPosition(4);
    w->mnuEdit[2]->trigger();  // Paste
    QCOMPARE(find->text(), QString("betaalpha "));
    find->setSelection(0, 4);
    w->mnuEdit[0]->trigger();  // Copy
    QCOMPARE(cb->text(), QString("beta"));
    QCOMPARE(find->text(), QString("betaalpha "));

    // The viewer: a multi-line selection comes out with plain line ends.
    w->SSTab1->setCurrentIndex(0);
    w->txtCod->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->txtCod));
    w->txtCod->selectAll();
    w->mnuEdit[0]->trigger();
    QCOMPARE(cb->text(), QString("Sub A()\nEnd Sub"));

    // A control that holds no text: nothing changes, nothing fails.
    w->lvTOC->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->lvTOC));
    for (int i = 0; i < 3; ++i) w->mnuEdit[static_cast<size_t>(i)]->trigger();
    QCOMPARE(cb->text(), QString("Sub A()\nEnd Sub"));
    w->hide();
}

// An encrypted library opens with its password; closing it leaves the password nowhere
// in the window, and the settings never held it.
void tst_window::closeForgetsPassword() {
    const QString locked = dir.filePath("locked.snip");
    store::CreateLibrary(locked, "s3cret pass", false);
    Load(locked, "s3cret pass");
    QCOMPARE(w->con.State(), store::adStateOpen);
    w->mnuCloseDB_Click();
    QVERIFY(w->sPass.isEmpty());
    Load(locked, "s3cret pass");
    QVERIFY(w->close());
    w.reset();
    QFile settings(platform::SettingsFile());
    QVERIFY(settings.open(QIODevice::ReadOnly));
    const QByteArray text = settings.readAll();
    QVERIFY(text.contains("locked.snip"));
    QVERIFY(!text.contains("s3cret"));
}

QTEST_MAIN(tst_window)
#include "tst_window.moc"
