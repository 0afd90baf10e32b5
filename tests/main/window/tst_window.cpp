// The main window's flows on a real library, every question answered by script.
#include <QtTest>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include "main/categorystore.h"
#include "main/ui/frmsnippary.h"
#include "main/window/windowdriver.h"
#include "platform/folders.h"
#include "store/sqliteengine.h"
#include "store/statements.h"
#include "main/windowlayout.h"
#include "platform/ui/twips.h"
#include "settings/registry.h"
#include "testlibrary.h"
#include "testsupport.h"

using platform::Prompts;
using platform::ScriptedPrompts;
using snippary::frmSnippary;
using windowdriver::Find;
using windowdriver::Trigger;

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

// Makes a category current with a click on it.
void ClickItem(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
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
    void categories();
    void categoryRefusals_data();
    void categoryRefusals();
    void pagesKeepOneViewMark();
    void controlsInsidePage_data();
    void controlsInsidePage();
    void captionsShownWhole_data();
    void captionsShownWhole();
    void addWaitsForCategory_data();
    void addWaitsForCategory();
    void programIcon();
    void restartRestoresState();
    void contentFontStored_data();
    void contentFontStored();
    void editKeysAndMenu_data();
    void editKeysAndMenu();
    void copyIntoClipboard();
    void closeForgetsPassword();

private:
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<frmSnippary> w;
    QFont systemFont;

    void Load(const QString& library, const QString& password = QString()) {
        windowdriver::Load(w.get(), *prompts, library, password);
    }
    void Verify() { windowdriver::VerifyPrompts(*prompts); }
    QListWidget* lstTOC() const { return Find<QListWidget>(w.get(), "lstTOC"); }
    QComboBox* cmbType() const { return Find<QComboBox>(w.get(), "cmbType"); }
    QAction* Entry(const char* name) const { return Find<QAction>(w.get(), name); }
};

void tst_window::initTestCase() {
    testsupport::UseTestEnvironment();
    QVERIFY(dir.isValid());
    systemFont = QApplication::font();
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
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
}

void tst_window::cleanup() {
    w.reset();
    QApplication::setFont(systemFont);
    if (prompts) Verify();
}

// The lists and the library's menu entries follow the library; without one, no
// category question is asked.
void tst_window::loadAndClose() {
    Load(path);
    QVERIFY(Entry("mnuExport")->isEnabled());
    prompts->ExpectMsgBox("Database selected: " + path);
    Trigger(w.get(), "mnuViewDB");
    QCOMPARE(prompts->History().last().title, QString("Snippary"));

    Trigger(w.get(), "mnuCloseDB");
    Trigger(w.get(), "mnuCloseDB");  // twice: no message
    QCOMPARE(w->con.State(), store::adStateClosed);
    QVERIFY(Items(lstTOC()).isEmpty());
    QCOMPARE(cmbType()->count(), 0);
    QVERIFY(!Entry("mnuExport")->isEnabled());
    QVERIFY(!Find<QPushButton>(w.get(), "cmdRefresh")->isEnabled());
    prompts->ExpectMsgBox("Database selected: ");
    Trigger(w.get(), "mnuViewDB");
    Trigger(w.get(), "mnuAddCat");
    // Load database always starts with an empty path box.
    QString shown = "not shown";
    windowdriver::AnswerLoadDB(*prompts, QString(), QString(), &shown);
    Trigger(w.get(), "mnuLoad");
    QCOMPARE(shown, QString());
    Verify();
}

void tst_window::failedLoad() {
    const QString missing = dir.filePath("missing.snip");
    windowdriver::AnswerLoadDB(*prompts, missing);
    prompts->ExpectMsgBox("3024 # Could not find file '" + missing + "'.");
    Trigger(w.get(), "mnuLoad");
    Verify();
    QCOMPARE(w->con.State(), store::adStateClosed);
    QVERIFY(Items(lstTOC()).isEmpty());
    QCOMPARE(prompts->History().last().title, QString("VBSnippary"));

    // An encrypted library with a wrong password.
    const QString secret = dir.filePath("secret.snip");
    store::CreateLibrary(secret, "right", false);
    windowdriver::AnswerLoadDB(*prompts, secret, "wrong");
    prompts->ExpectMsgBox("3031 # Not a valid password.");
    Trigger(w.get(), "mnuLoad");
    Verify();
    Load(secret, "right");
    QCOMPARE(Items(lstTOC()), kPermanent);
}

void tst_window::categories() {
    Load(path);
    // Cancelled or empty answers add nothing.
    prompts->ExpectInputBox(std::nullopt, "Name of new category?");
    Trigger(w.get(), "mnuAddCat");
    prompts->ExpectInputBox(QString(), "Name of new category?");
    Trigger(w.get(), "mnuAddCat");
    QCOMPARE(Items(lstTOC()), kPermanent);
    prompts->ExpectInputBox(QString("Bob's"));
    Trigger(w.get(), "mnuAddCat");
    prompts->ExpectInputBox(QString("Forms"));
    Trigger(w.get(), "mnuAddCat");
    Verify();
    QCOMPARE(Items(lstTOC()), kPermanent + QStringList({"Bob's", "Forms"}));
    QCOMPARE(Combo(cmbType()), Items(lstTOC()));

    // The first five are protected.
    for (int i = 0; i < 5; ++i) {
        ClickItem(lstTOC(), i);
        QVERIFY(!Entry("mnuDelCat")->isEnabled());
        Trigger(w.get(), "mnuDelCat2");
    }
    Verify();
    // Deleting at position 5 moves the next one up in both lists.
    ClickItem(lstTOC(), 5);
    QVERIFY(Entry("mnuDelCat")->isEnabled());
    prompts->ExpectMsgBox("Are you sure?\r\n(ALL items partain to this category will be deleted!)", Prompts::No);
    Trigger(w.get(), "mnuDelCat");
    QCOMPARE(lstTOC()->count(), 7);
    prompts->ExpectMsgBox("Are you sure?\r\n(ALL items partain to this category will be deleted!)", Prompts::Yes);
    Trigger(w.get(), "mnuDelCat");
    Verify();
    QCOMPARE(Items(lstTOC()), kPermanent + QStringList{"Forms"});
    QCOMPARE(Combo(cmbType()), Items(lstTOC()));

    // Toggling the ticks (all and none the viewer tests use).
    lstTOC()->item(1)->setCheckState(Qt::Checked);
    Trigger(w.get(), "mnuLstSel_2");
    QCOMPARE(lstTOC()->item(1)->checkState(), Qt::Unchecked);
    QCOMPARE(lstTOC()->item(0)->checkState(), Qt::Checked);

    // The library holds the same as the lists.
    store::Recordset rs;
    QStringList stored;
    for (rs.Open(store::stmt::SelectTypes(), &w->con); !rs.Eof(); rs.MoveNext())
        stored << rs.Fields("TypeName").toString();
    QCOMPARE(stored, Items(lstTOC()));
}

// A category change the library cannot take leaves both lists, the categories and
// their snippets as they were, and the user is told.
void tst_window::categoryRefusals_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("message");
    QTest::newRow("library held by another program") << "held"
                                                     << "3260 # ";
    QTest::newRow("name added meanwhile elsewhere") << "added elsewhere"
                                                    << "A category named tools already exists.";
    QTest::newRow("two categories of one name") << "duplicates"
                                                << "More than one category is named Dup";
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
        Trigger(w.get(), "mnuAddCat2");
    }
    w->con.Execute(store::stmt::InsertCode(6, "kept", "", "1/1/2002", "", "x"));
    store::Connection other;  // another window or program on the same library
    testsupport::OpenLibrary(other, path);
    if (situation == "added elsewhere") snippary::InsertCategory(other, "Tools");
    auto stored = [&] {
        store::Recordset rs;
        rs.Open("SELECT (SELECT count(*) FROM Types) || ' ' || (SELECT count(*) FROM Code WHERE TypeID=6)", &w->con);
        return rs.Fields(0).toString();
    };
    const QString before = stored();
    const QStringList listed = Items(lstTOC());
    if (situation == "added elsewhere") {
        prompts->ExpectInputBox(QString("tools"));
    } else {
        if (situation == "held") other.BeginTrans();
        ClickItem(lstTOC(), 5);
        prompts->ExpectMsgBox("Are you sure?\r\n(ALL items partain to this category will be deleted!)", Prompts::Yes);
    }
    prompts->ExpectMsgBoxContaining(message);
    Trigger(w.get(), situation == "added elsewhere" ? "mnuAddCat2" : "mnuDelCat2");
    other.RollbackTrans();
    Verify();
    QCOMPARE(Items(lstTOC()), listed);
    QCOMPARE(stored(), before);
}

namespace {
int CheckedView(const frmSnippary& w) {
    int checked = -1, count = 0;
    for (int i = 0; i < 3; ++i)
        if (Find<QAction>(&w, QStringLiteral("mnuView_%1").arg(i))->isChecked()) checked = i, ++count;
    return count == 1 ? checked : -1 - count;
}
}  // namespace

// Whether by tab or by the View menu, the page in front is the one marked, and only it.
void tst_window::pagesKeepOneViewMark() {
    auto* tabs = Find<QTabWidget>(w.get(), "SSTab1");
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(CheckedView(*w), 0);
    const struct {
        bool byMenu;
        int page;
    } steps[] = {{false, 2}, {true, 1}, {true, 1}, {false, 0}, {true, 2}, {false, 1}};
    for (const auto& step : steps) {
        if (step.byMenu)
            Trigger(w.get(), QStringLiteral("mnuView_%1").arg(step.page));
        else
            windowdriver::ClickTab(w.get(), step.page);
        QCOMPARE(tabs->currentIndex(), step.page);
        QCOMPARE(CheckedView(*w), step.page);
    }
}

namespace {
// The rectangle of `page` that is on screen: clipped by every widget it lies in.
QRect ShownPart(const QWidget* page) {
    QRect shown = page->rect();
    for (const QWidget* outer = page->parentWidget(); outer != nullptr; outer = outer->parentWidget()) {
        shown &= QRect(page->mapFrom(outer, QPoint(0, 0)), outer->size());
        if (outer->isWindow()) break;
    }
    return shown;
}

// Gaps between the page's right and bottom edges and each control of it, by control.
QMap<QWidget*, QPoint> EdgeGaps(QWidget* page) {
    QMap<QWidget*, QPoint> gaps;
    for (QWidget* c : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c->isVisible())
            gaps[c] = QPoint(page->width() - c->geometry().right(), page->height() - c->geometry().bottom());
    return gaps;
}

}  // namespace

void tst_window::controlsInsidePage_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QSize>("twips");
    const struct {
        const char* name;
        QSize twips;
    } sizes[] = {
        {"smallest", {snippary::MinWidthTwips, snippary::MinHeightTwips}},
        {"below the smallest", {2000, 1500}},
        {"narrow and high", {3000, 12000}},
        {"designed", {9750, 7215}},
        {"large", {16000, 12000}},
    };
    for (int page = 0; page < 3; ++page)
        for (const auto& size : sizes) QTest::addRow("page %d, %s", page, size.name) << page << size.twips;
}

// At any size the window takes, every control of the page shown lies whole on screen,
// and the boxes that follow the window keep their distance to the page's edges.
void tst_window::controlsInsidePage() {
    QFETCH(int, page);
    QFETCH(QSize, twips);
    auto* tabs = w->findChild<QTabWidget*>();
    QVERIFY(tabs != nullptr);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    windowdriver::ClickTab(w.get(), page);
    QWidget* shown = tabs->currentWidget();
    const QSize reference(platform::TwipsToPx(20000), platform::TwipsToPx(15000));
    w->resize(reference);
    QTRY_COMPARE(w->size(), reference);
    const QMap<QWidget*, QPoint> followers = EdgeGaps(shown);
    const QSize large = shown->size();

    const QSize wanted(platform::TwipsToPx(twips.width()), platform::TwipsToPx(twips.height()));
    w->resize(wanted);
    // The smallest size is the window's outer size, frame included.
    const QSize frame = w->frameGeometry().size() - w->size();
    const QSize smallest(platform::TwipsToPx(snippary::MinWidthTwips), platform::TwipsToPx(snippary::MinHeightTwips));
    QTRY_COMPARE(w->size(), wanted.expandedTo(smallest - frame));

    const QRect onScreen = ShownPart(shown);
    for (QWidget* c : shown->findChildren<QWidget*>()) {
        if (!c->isVisible() || c->isWindow()) continue;
        const QRect r(c->mapTo(shown, QPoint(0, 0)), c->size());
        QVERIFY2(onScreen.contains(r), c->metaObject()->className());
    }
    const QMap<QWidget*, QPoint> gaps = EdgeGaps(shown);
    for (auto it = followers.cbegin(); it != followers.cend(); ++it) {
        // A box near an edge of the large window follows that edge.
        const QPoint before = it.value(), now = gaps.value(it.key());
        if (before.x() < large.width() / 4) QVERIFY(qAbs(now.x() - before.x()) <= 1);
        if (before.y() < large.height() / 4) QVERIFY(qAbs(now.y() - before.y()) <= 1);
    }
}

namespace {
// Where a label, check box, option box or frame draws its caption (its parent's
// coordinates; empty for none) and whether the text fits the room the widget gives it.
QRect CaptionText(QWidget* c, bool* fits) {
    const QFontMetrics fm(c->font());
    auto* label = qobject_cast<QLabel*>(c);
    auto* box =
        qobject_cast<QCheckBox*>(c) || qobject_cast<QRadioButton*>(c) ? static_cast<QAbstractButton*>(c) : nullptr;
    QRect room = c->rect();
    QSize needed;
    if (label != nullptr && !label->text().isEmpty()) {
        room = label->contentsRect();
        const int flags = Qt::TextShowMnemonic | (label->wordWrap() ? Qt::TextWordWrap : 0);
        needed = fm.boundingRect(QRect(0, 0, label->wordWrap() ? room.width() : 1 << 20, 1 << 20), flags, label->text())
                     .size();
    } else if (box != nullptr) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        room = box->style()->subElementRect(
                   qobject_cast<QCheckBox*>(c) ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents, &option,
                   box) &
               box->rect();
        needed = fm.size(Qt::TextShowMnemonic, box->text());
    } else if (auto* frame = qobject_cast<QGroupBox*>(c)) {
        needed = QSize(frame->minimumSizeHint().width(), fm.height());
    } else {
        return QRect();
    }
    *fits = needed.width() <= room.width() && needed.height() <= room.height();
    const Qt::Alignment align =
        label != nullptr ? label->alignment() : Qt::AlignLeft | (box != nullptr ? Qt::AlignVCenter : Qt::AlignTop);
    return QStyle::alignedRect(Qt::LeftToRight, align, needed.boundedTo(room.size()), room).translated(c->pos());
}

// Captions of `form` the user cannot read whole: text that does not fit its box, sticks
// out of the box's parent, or lies under another control or caption.
QStringList CutCaptions(QWidget* form) {
    QStringList cut;
    for (QWidget* c : form->findChildren<QWidget*>()) {
        bool fits = true, ignored = true;
        const QRect text = CaptionText(c, &fits);
        if (text.isEmpty() || c->isWindow() || !c->isVisibleTo(form)) continue;
        bool covered = !c->parentWidget()->rect().contains(text);
        for (QWidget* other : c->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect otherText = CaptionText(other, &ignored);
            if (other != c && !other->isWindow() && other->isVisibleTo(form))
                covered = covered || text.intersects(otherText.isNull() ? other->geometry() : otherText);
        }
        if (!fits || covered) cut << c->property("text").toString() + c->property("title").toString();
    }
    return cut;
}
}  // namespace

void tst_window::captionsShownWhole_data() {
    QTest::addColumn<double>("scale");
    QTest::newRow("system font") << 1.0;
    QTest::newRow("larger system font") << 1.5;
}

// Every caption of the pages and dialogs is read whole, also with a larger system font.
void tst_window::captionsShownWhole() {
    QFETCH(double, scale);
    QFont font = systemFont;
    font.setPointSizeF(font.pointSizeF() * scale);
    QApplication::setFont(font);
    w.reset();
    w = std::make_unique<frmSnippary>(*prompts);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    auto* tabs = w->findChild<QTabWidget*>();
    for (int page = 1; page < 3; ++page) {
        tabs->setCurrentIndex(page);
        QCOMPARE(CutCaptions(tabs->currentWidget()).join(" | "), QString());
    }
    auto* exportDialog = w->findChild<QDialog*>(QStringLiteral("frmExport"));
    QVERIFY(exportDialog != nullptr);
    exportDialog->show();
    QCOMPARE(CutCaptions(exportDialog).join(" | "), QString());
    exportDialog->hide();
    QStringList loadCut = {QStringLiteral("not shown")};
    QTimer::singleShot(0, this, [&loadCut] {
        QWidget* dialog = QApplication::activeModalWidget();
        loadCut = CutCaptions(dialog);
        windowdriver::Click(dialog, "cmdClose");
    });
    Trigger(w.get(), "mnuLoad");
    QCOMPARE(loadCut, QStringList());
}

void tst_window::addWaitsForCategory_data() {
    QTest::addColumn<QString>("fill");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("content");
    QTest::newRow("library opened") << "open"
                                    << "Sort it"
                                    << "Sub A()";
    QTest::newRow("library opened again") << "reopen"
                                          << "Sort it"
                                          << "Sub A()";
    QTest::newRow("chosen category deleted") << "delete"
                                             << "Sort it"
                                             << "Sub A()";
    QTest::newRow("blanks count") << "open"
                                  << " "
                                  << " ";
    QTest::newRow("no name") << "open"
                             << ""
                             << "Sub A()";
    QTest::newRow("no content") << "open"
                                << "Sort it"
                                << "";
}

// "&Add now!" waits for a category the user chose, whatever filled or changed the list,
// and for a name and some content.
void tst_window::addWaitsForCategory() {
    QFETCH(QString, fill);
    QFETCH(QString, name);
    QFETCH(QString, content);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->findChild<QTabWidget*>()->setCurrentIndex(2);
    auto* add = w->findChild<QPushButton*>(QStringLiteral("cmdAdd"));
    auto* category = w->findChild<QComboBox*>(QStringLiteral("cmbType"));
    auto* nameBox = w->findChild<QLineEdit*>(QStringLiteral("txtName"));
    Load(path);
    if (fill == "reopen") {
        QTest::keyClicks(category, "C");
        QCOMPARE(category->currentText(), QString("Classes"));
        Load(path);
    } else if (fill == "delete") {
        prompts->ExpectInputBox(QString("Forms"));
        Trigger(w.get(), "mnuAddCat2");
        QTest::keyClick(category, Qt::Key_End);
        QCOMPARE(category->currentText(), QString("Forms"));
        ClickItem(lstTOC(), 5);
        prompts->ExpectMsgBox("Are you sure?\r\n(ALL items partain to this category will be deleted!)", Prompts::Yes);
        Trigger(w.get(), "mnuDelCat2");
        Verify();
    }
    QCOMPARE(category->currentText(), QString());
    QTest::keyClicks(nameBox, name);
    QTest::keyClicks(w->findChild<QPlainTextEdit*>(QStringLiteral("txtContent")), content);
    QVERIFY(!add->isEnabled());
    QTest::keyClick(category, Qt::Key_Down);
    QCOMPARE(category->currentText(), QString("Modules"));
    QCOMPARE(add->isEnabled(), !name.isEmpty() && !content.isEmpty());
    nameBox->selectAll();
    QTest::keyClick(nameBox, Qt::Key_Delete);
    QVERIFY(!add->isEnabled());
}

// The window carries the program's icon, the picture the About box shows.
void tst_window::programIcon() {
    QVERIFY(!w->windowIcon().isNull());
    Trigger(w.get(), "mnuAbout");
    QWidget* about = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("frmAbout") && top->isVisible()) about = top;
    QVERIFY(about != nullptr);
    QCOMPARE(w->windowIcon().pixmap(32).toImage(), about->windowIcon().pixmap(32).toImage());
    about->close();
}

// A first start has the defaults; closing stores page, options, size and library,
// and the next start brings them back and loads the library through the dialog.
void tst_window::restartRestoresState() {
    QCOMPARE(Find<QTabWidget>(w.get(), "SSTab1")->currentIndex(), 0);
    QVERIFY(!Entry("mnuOpt_0")->isChecked());
    QVERIFY(w->sDb.isEmpty());
    QCOMPARE(w->con.State(), store::adStateClosed);

    Load(path);
    Trigger(w.get(), "mnuOpt_0");  // load at start-up
    Trigger(w.get(), "mnuOpt_2");  // no change of existing code
    QVERIFY(Entry("mnuOpt_0")->isChecked());
    const QSize outer(platform::TwipsToPx(10005), platform::TwipsToPx(8505));
    w->resize(outer - (w->frameGeometry().size() - w->size()));
    QTRY_COMPARE(w->frameGeometry().size(), outer);
    windowdriver::ClickTab(w.get(), 2);
    QVERIFY(w->close());
    w.reset();
    QVERIFY(QFileInfo::exists(platform::SettingsFile()));

    // The stored library is opened at start: the dialog comes up already filled in.
    QString shown;
    windowdriver::AnswerLoadDB(*prompts, path, QString(), &shown);
    w = std::make_unique<frmSnippary>(*prompts);
    QCOMPARE(shown, path);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->con.State(), store::adStateOpen);
    QCOMPARE(w->sDb, path);
    QCOMPARE(Items(lstTOC()), kPermanent);
    QCOMPARE(Find<QTabWidget>(w.get(), "SSTab1")->currentIndex(), 2);
    QCOMPARE(CheckedView(*w), 2);
    QVERIFY(Entry("mnuOpt_0")->isChecked());
    QVERIFY(!Entry("mnuOpt_1")->isChecked());
    QVERIFY(Entry("mnuOpt_2")->isChecked());
    QTRY_COMPARE(w->frameGeometry().size(), outer);

    // "No change existing code" holds from the start: a snippet shown is not offered for saving.
    w->con.Execute(store::stmt::InsertCode(1, "s", "", "1/1/2002", "", "x"));
    windowdriver::ClickTab(w.get(), 0);
    Trigger(w.get(), "mnuLstSel_0");
    windowdriver::Click(w.get(), "cmdRefresh");
    auto* lvTOC = Find<QTreeView>(w.get(), "lvTOC");
    QTest::mouseClick(lvTOC->viewport(), Qt::LeftButton, {}, lvTOC->visualRect(lvTOC->model()->index(0, 0)).center());
    QTest::keyClicks(Find<QPlainTextEdit>(w.get(), "txtCod"), "y");
    QCOMPARE(Find<QPlainTextEdit>(w.get(), "txtCod")->toPlainText(), QString("yx"));
    QVERIFY(!Find<QPushButton>(w.get(), "cmdSaveCont")->isEnabled());
}

// A cancelled font dialog leaves the font unset; a chosen size is stored in whole points
// (a half to the even one).
void tst_window::contentFontStored_data() {
    QTest::addColumn<QString>("name");  // empty: the dialog is cancelled
    QTest::addColumn<double>("size");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("cancelled") << "" << 0.0 << QByteArray("FontName=\r\nFontSize=0\r\n");
    QTest::newRow("8.25") << "Monospace" << 8.25 << QByteArray("FontName=Monospace\r\nFontSize=8\r\n");
    QTest::newRow("half down") << "Serif" << 8.5 << QByteArray("FontName=Serif\r\nFontSize=8\r\n");
    QTest::newRow("half up") << "Serif" << 9.5 << QByteArray("FontName=Serif\r\nFontSize=10\r\n");
}

void tst_window::contentFontStored() {
    QFETCH(QString, name);
    QFETCH(double, size);
    QFETCH(QByteArray, stored);
    prompts->ExpectFont(name.isEmpty() ? std::nullopt : std::make_optional(platform::FontChoice{name, size}));
    Trigger(w.get(), "mnuChgFont");
    QVERIFY(w->close());
    w.reset();
    QVERIFY(testsupport::ReadAll(platform::SettingsFile()).contains(stored));
}

// The Edit menu's entries and their keys are one action in every box: the same
// clipboard and the same text whichever the user takes.
void tst_window::editKeysAndMenu_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("entry");    // 0 Copy, 1 Cut, 2 Paste
    QTest::addColumn<bool>("select");  // "alpha " selected, or the cursor at the end
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<QStringList>("after");  // the clipboard (it held "before") and the text ("alpha beta")
    const QStringList after[3][2] = {{{"", "alpha beta"}, {"alpha ", "alpha beta"}},
                                     {{"", "alpha beta"}, {"alpha ", "beta"}},
                                     {{"before", "alpha betabefore"}, {"before", "beforebeta"}}};
    for (const char* box : {"txtFind", "txtContent"})
        for (int entry = 0; entry < 3; ++entry)
            for (const bool select : {false, true})
                for (const bool byKey : {false, true})
                    QTest::addRow("%s %s%s by %s", box, std::array{"copy", "cut", "paste"}[size_t(entry)],
                                  select ? " a selection" : "", byKey ? "key" : "menu")
                        << QString(box) << entry << select << byKey << after[entry][select];
}

void tst_window::editKeysAndMenu() {
    QFETCH(QString, box);
    QFETCH(int, entry);
    QFETCH(bool, select);
    QFETCH(bool, byKey);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    windowdriver::ClickTab(w.get(), box == "txtFind" ? 1 : 2);
    auto* target = w->findChild<QWidget*>(box);
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    QTest::keyClicks(target, "alpha beta");
    QTest::keyClick(target, select ? Qt::Key_Home : Qt::Key_End);
    for (int i = 0; select && i < 6; ++i) QTest::keyClick(target, Qt::Key_Right, Qt::ShiftModifier);
    QGuiApplication::clipboard()->setText("before");
    if (byKey)
        QTest::keyClick(target, std::array{Qt::Key_C, Qt::Key_X, Qt::Key_V}[size_t(entry)], Qt::ControlModifier);
    else
        Trigger(w.get(), QStringLiteral("mnuEdit_%1").arg(entry));
    const QString text = target->property(box == "txtFind" ? "text" : "plainText").toString();
    QTEST(QStringList({QGuiApplication::clipboard()->text(), text}), "after");
}

// "Copy into Clipboard" takes the viewer's selection or all of it, with plain line ends;
// the Edit menu leaves a list alone.
void tst_window::copyIntoClipboard() {
    QClipboard* cb = QGuiApplication::clipboard();
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    auto* txtCod = Find<QPlainTextEdit>(w.get(), "txtCod");
    QTest::keyClicks(txtCod, "Sub A()");
    QTest::keyClick(txtCod, Qt::Key_Return);
    QTest::keyClicks(txtCod, "End Sub");
    QTest::keyClick(txtCod, Qt::Key_Home, Qt::ControlModifier);
    windowdriver::Click(w.get(), "cmdCopy");
    QCOMPARE(cb->text(), QString("Sub A()\nEnd Sub"));
    QTest::keyClick(txtCod, Qt::Key_Right, Qt::ShiftModifier);
    windowdriver::Click(w.get(), "cmdCopy");
    QCOMPARE(cb->text(), QString("S"));
    txtCod->setFocus();
    QTest::keyClick(txtCod, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(txtCod, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(cb->text(), QString("Sub A()\nEnd Sub"));

    auto* lvTOC = Find<QTreeView>(w.get(), "lvTOC");
    lvTOC->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(lvTOC));
    for (int entry = 0; entry < 3; ++entry) Trigger(w.get(), QStringLiteral("mnuEdit_%1").arg(entry));
    QCOMPARE(cb->text(), QString("Sub A()\nEnd Sub"));
}

// An encrypted library opens with its password; closing it leaves the password nowhere
// in the window, and the settings never held it.
void tst_window::closeForgetsPassword() {
    const QString locked = dir.filePath("locked.snip");
    store::CreateLibrary(locked, "s3cret pass", false);
    Load(locked, "s3cret pass");
    QCOMPARE(w->con.State(), store::adStateOpen);
    Trigger(w.get(), "mnuCloseDB");
    QVERIFY(w->sPass.isEmpty());
    Load(locked, "s3cret pass");
    QVERIFY(w->close());
    w.reset();
    const QByteArray text = testsupport::ReadAll(platform::SettingsFile());
    QVERIFY(text.contains("locked.snip"));
    QVERIFY(!text.contains("s3cret"));
}

QTEST_MAIN(tst_window)
#include "tst_window.moc"
