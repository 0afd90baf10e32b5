// The main window's flows on a real library, every question answered by script.
#include "about/help.h"
#include "main/windowlayout.h"
#include "main/window/windowdriver.h"
#include "platform/ui/twips.h"
#include "store/sqliteengine.h"
#include "store/statements.h"
#include "testsupport.h"

using namespace windowdriver;
using platform::Prompts;
using platform::TwipsToPx;

namespace {

const QStringList kPermanent = {"Modules", "Classes", "API Declarations", "Functions", "Snippets"};

// The pages the View menu marks.
QList<int> Marked(const QObject* w) {
    QList<int> marked;
    for (int i = 0; i < 3; ++i)
        if (Find<QAction>(w, QStringLiteral("mnuView_%1").arg(i))->isChecked()) marked << i;
    return marked;
}

// Gaps between the page's right and bottom edges and each control of it, by control.
QMap<QWidget*, QPoint> EdgeGaps(QWidget* page) {
    QMap<QWidget*, QPoint> gaps;
    for (QWidget* c : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c->isVisible())
            gaps[c] = QPoint(page->width() - c->geometry().right(), page->height() - c->geometry().bottom());
    return gaps;
}

// Where a label, check box, option box or frame draws its caption (its parent's
// coordinates; empty for none) and whether the text fits the room the widget gives it.
QRect CaptionText(QWidget* c, bool* fits) {
    const QFontMetrics fm(c->font());
    auto* label = qobject_cast<QLabel*>(c);
    auto* check = qobject_cast<QCheckBox*>(c);
    auto* box = check != nullptr || qobject_cast<QRadioButton*>(c) ? static_cast<QAbstractButton*>(c) : nullptr;
    QRect room = c->rect();
    QSize needed;
    if (label != nullptr && !label->text().isEmpty()) {
        room = label->contentsRect();
        const int flags = Qt::TextShowMnemonic | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect bounds(0, 0, label->wordWrap() ? room.width() : 1 << 20, 1 << 20);
        needed = fm.boundingRect(bounds, flags, label->text()).size();
    } else if (box != nullptr) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const auto part = check != nullptr ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents;
        room = box->style()->subElementRect(part, &option, box) & box->rect();
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

// The program's shown top-level window of that name.
QWidget* Shown(const QString& name) {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == name && top->isVisible()) return top;
    return nullptr;
}

}  // namespace

class tst_window : public windowdriver::Fixture {
    Q_OBJECT
    QString path;
    QFont systemFont;
    QComboBox* cmbType() const { return Find<QComboBox>(w.get(), "cmbType"); }

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        systemFont = QApplication::font();
    }
    void init() {
        static int n = 0;
        path = dir.filePath(QStringLiteral("w%1.snip").arg(++n));
        store::CreateLibrary(path, QString(), false);
        Start();
    }
    void cleanup() {
        w.reset();
        QApplication::setFont(systemFont);
        Verify();
    }

    // A library that does not open says why and stays the one named; one that opens fills the
    // lists and menu entries, and closing empties them and forgets its password. The next start
    // brings back page, options, size and library (through the dialog), never the password, and
    // writes back a size the user did not change as it was read, not rounded to pixels.
    void loadCloseAndRestart() {
        const QString locked = dir.filePath("locked.snip");
        store::CreateLibrary(locked, "s3cret pass", false);
        AnswerLoadDB(*prompts, locked, "wrong");
        prompts->ExpectMsgBox("3031 # Not a valid password.");
        Trigger(w.get(), "mnuLoad");
        QCOMPARE(prompts->History().last().title, QString("VBSnippary"));
        prompts->ExpectMsgBox("Database selected: " + locked);
        Trigger(w.get(), "mnuViewDB");
        QCOMPARE(prompts->History().last().title, QString("Snippary"));
        QCOMPARE(w->con.State(), store::adStateClosed);
        Load(locked, "s3cret pass");
        Trigger(w.get(), "mnuCloseDB");
        Trigger(w.get(), "mnuCloseDB");  // twice: no message
        QVERIFY(w->sPass.isEmpty());
        QCOMPARE(Texts(lstTOC()->model()) + Texts(cmbType()->model()), QStringList());
        QVERIFY(!Enabled("mnuExport") && !Enabled("cmdRefresh"));
        prompts->ExpectMsgBox("Database selected: ");
        Trigger(w.get(), "mnuViewDB");
        Trigger(w.get(), "mnuAddCat");
        QString shown = "not shown";
        AnswerLoadDB(*prompts, QString(), QString(), &shown);
        Trigger(w.get(), "mnuLoad");
        QCOMPARE(shown, QString());

        Load(locked, "s3cret pass");
        w->con.Execute(store::stmt::InsertCode(1, "s", "", "1/1/2002", "", "x"));
        Trigger(w.get(), "mnuOpt_0");  // load at start-up
        Trigger(w.get(), "mnuOpt_2");  // no change of existing code
        const QSize outer(TwipsToPx(10005), TwipsToPx(8505));
        w->resize(outer - (w->frameGeometry().size() - w->size()));
        QTRY_COMPARE(w->frameGeometry().size(), outer);
        Trigger(w.get(), "mnuView_2");
        Trigger(w.get(), "mnuView_2");  // the page in front stays marked
        QCOMPARE(Marked(w.get()), QList<int>{2});
        Close();
        QByteArray stored = testsupport::ReadAll(platform::SettingsFile());
        QVERIFY(stored.contains("Width=10005\r\n") && !stored.contains("s3cret"));
        QVERIFY(testsupport::WriteAll(platform::SettingsFile(), stored.replace("Width=10005", "Width=10007")));

        AnswerLoadDB(*prompts, locked, "s3cret pass", &shown);
        Start(false);
        QCOMPARE(shown, locked);
        QCOMPARE(Texts(lstTOC()->model()), kPermanent);
        QCOMPARE(Find<QTabWidget>(w.get(), "SSTab1")->currentIndex(), 2);
        QCOMPARE(Marked(w.get()), QList<int>{2});
        for (const auto& [entry, checked] : {std::pair{"mnuOpt_0", true}, {"mnuOpt_1", false}, {"mnuOpt_2", true}})
            QCOMPARE(Find<QAction>(w.get(), entry)->isChecked(), checked);
        QTRY_COMPARE(w->frameGeometry().size(), outer);
        ClickTab(w.get(), 0);
        QCOMPARE(Marked(w.get()), QList<int>{0});

        // "No change existing code" holds from the start: a snippet shown is not offered for saving.
        Trigger(w.get(), "mnuLstSel_0");
        Click(w.get(), "cmdRefresh");
        ClickRow(lvTOC(), 0);
        QTest::keyClicks(txtCod(), "y");
        QCOMPARE(txtCod()->toPlainText(), QString("yx"));
        QVERIFY(!Enabled("cmdSaveCont"));
        Close();
        QVERIFY(testsupport::ReadAll(platform::SettingsFile()).contains("Width=10007\r\n"));
    }

    // Added and deleted categories show in both lists and the library; the first five are
    // protected; cancelled or empty names add nothing. The tick toggle flips every tick.
    void categories() {
        Load(path);
        for (const QString& name : {QString(), QString(""), QString("Bob's"), QString("Forms")}) AddCategory(name);
        for (int i = 0; i < 5; ++i) DeleteCategory(i, std::nullopt, "mnuDelCat2");
        QVERIFY(!Enabled("mnuDelCat"));
        DeleteCategory(5, Prompts::No);
        DeleteCategory(5, Prompts::Yes);
        QCOMPARE(Texts(lstTOC()->model()), kPermanent + QStringList{"Forms"});
        QCOMPARE(Texts(cmbType()->model()), Texts(lstTOC()->model()));
        QCOMPARE(windowdriver::Stored(path, "SELECT TypeName FROM Types ORDER BY TypeID"), Texts(lstTOC()->model()));
        lstTOC()->item(1)->setCheckState(Qt::Checked);
        Trigger(w.get(), "mnuLstSel_2");
        QCOMPARE(lstTOC()->item(1)->checkState(), Qt::Unchecked);
        QCOMPARE(lstTOC()->item(0)->checkState(), Qt::Checked);
    }

    // A category change the library cannot take leaves both lists, the categories and
    // their snippets as they were, and the user is told.
    void categoryRefusals_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("message");
        QTest::newRow("library held by another program") << "held" << QString("3260 # ");
        QTest::newRow("name added meanwhile elsewhere") << "added" << QString("A category named tools already exists.");
        QTest::newRow("two categories of one name") << "duplicates" << QString("More than one category is named Dup");
    }
    void categoryRefusals() {
        QFETCH(QString, situation);
        QFETCH(QString, message);
        if (situation == "duplicates")  // a library of the first version, before names were unique
            store::sqlite::OpenFile(path, "", false, false)
                ->Exec(
                    "DROP INDEX TypeNames; PRAGMA user_version=1; INSERT INTO Types(TypeName) VALUES('Dup'), ('Dup')");
        Load(path);
        if (situation == "held") AddCategory("Mine", "mnuAddCat2");
        w->con.Execute(store::stmt::InsertCode(6, "kept", "", "1/1/2002", "", "x"));
        const auto other = Other(path);  // another window or program on the same library
        if (situation == "added") snippary::InsertCategory(*other, "Tools");
        const QString counts =
            "SELECT (SELECT count(*) FROM Types) || ' ' || (SELECT count(*) FROM Code WHERE TypeID=6)";
        const QStringList before = Texts(lstTOC()->model()) << windowdriver::Stored(path, counts);
        if (situation == "held") other->BeginTrans();
        if (situation == "added")
            AddCategory("tools", "mnuAddCat2", message);
        else
            DeleteCategory(5, Prompts::Yes, "mnuDelCat2", message);
        other->RollbackTrans();
        QCOMPARE(Texts(lstTOC()->model()) << windowdriver::Stored(path, counts), before);
    }

    void controlsInsidePage_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QSize>("twips");
        for (int page = 0; page < 3; ++page) {
            QTest::addRow("page %d, below the smallest", page) << page << QSize(2000, 1500);
            QTest::addRow("page %d, narrow and high", page) << page << QSize(3000, 12000);
            QTest::addRow("page %d, designed", page) << page << QSize(9750, 7215);
        }
    }
    // At any size the window takes, every control of the page shown lies whole on screen,
    // and the boxes that follow the window keep their distance to the page's edges.
    void controlsInsidePage() {
        QFETCH(int, page);
        QFETCH(QSize, twips);
        ClickTab(w.get(), page);
        QWidget* shown = Find<QTabWidget>(w.get(), "SSTab1")->currentWidget();
        const QSize reference(TwipsToPx(20000), TwipsToPx(15000));
        w->resize(reference);
        QTRY_COMPARE(w->size(), reference);
        const QMap<QWidget*, QPoint> followers = EdgeGaps(shown);
        const QSize large = shown->size();

        const QSize wanted(TwipsToPx(twips.width()), TwipsToPx(twips.height()));
        w->resize(wanted);
        // The smallest size is the window's outer size, frame included.
        const QSize frame = w->frameGeometry().size() - w->size();
        QTRY_COMPARE(
            w->size(),
            wanted.expandedTo(QSize(TwipsToPx(snippary::MinWidthTwips), TwipsToPx(snippary::MinHeightTwips)) - frame));
        const QRect onScreen = shown->visibleRegion().boundingRect();  // clipped by every widget the page lies in
        for (QWidget* c : shown->findChildren<QWidget*>())
            if (c->isVisible() && !c->isWindow())
                QVERIFY2(onScreen.contains(QRect(c->mapTo(shown, QPoint(0, 0)), c->size())),
                         c->metaObject()->className());
        const QMap<QWidget*, QPoint> gaps = EdgeGaps(shown);
        for (auto it = followers.cbegin(); it != followers.cend(); ++it) {
            // A box near an edge of the large window follows that edge.
            const QPoint before = it.value(), now = gaps.value(it.key());
            if (before.x() < large.width() / 4) QVERIFY(qAbs(now.x() - before.x()) <= 1);
            if (before.y() < large.height() / 4) QVERIFY(qAbs(now.y() - before.y()) <= 1);
        }
    }

    void captionsShownWhole_data() {
        QTest::addColumn<double>("scale");
        QTest::newRow("system font") << 1.0;
        QTest::newRow("larger system font") << 1.5;
    }
    // Every caption of the pages and dialogs is the designed text (the About box's here; the
    // others' where they are used) and is read whole, also with a larger system font.
    void captionsShownWhole() {
        QFETCH(double, scale);
        QFont font = systemFont;
        font.setPointSizeF(font.pointSizeF() * scale);
        QApplication::setFont(font);
        Start(false);
        QStringList cut;
        for (int page = 1; page < 3; ++page) {
            ClickTab(w.get(), page);
            cut << CutCaptions(Find<QTabWidget>(w.get(), "SSTab1")->currentWidget());
        }
        auto* exportDialog = Find<QDialog>(w.get(), "frmExport");
        exportDialog->show();
        cut << CutCaptions(exportDialog);
        exportDialog->hide();
        Trigger(w.get(), "mnuAbout");
        QWidget* box = Shown("frmAbout");
        QStringList texts{box->windowTitle()};
        for (const char* name : {"Label1", "Label9", "lblWWW", "Label2"}) texts << Find<QLabel>(box, name)->text();
        QCOMPARE(texts, QStringList({"About...", "VB Snippary Add-in [v1.0]", "Visit my home page at",
                                     about::HomePage(), "for the latest version of the program."}));
        cut << CutCaptions(box);
        box->close();
        cut << "Load Database not shown";
        QTimer::singleShot(0, this, [&cut] {
            QWidget* dialog = QApplication::activeModalWidget();
            cut.removeLast();
            cut << CutCaptions(dialog);
            Click(dialog, "cmdClose");
        });
        Trigger(w.get(), "mnuLoad");
        QCOMPARE(cut, QStringList());
    }

    void addWaitsForCategory_data() {
        QTest::addColumn<QString>("fill");
        QTest::newRow("library opened") << "open";
        QTest::newRow("library opened again") << "reopen";
        QTest::newRow("chosen category deleted") << "delete";
    }
    // "&Add now!" waits for a category the user chose, whatever filled or changed the list,
    // and for a name and some content (blanks count).
    void addWaitsForCategory() {
        QFETCH(QString, fill);
        ClickTab(w.get(), 2);
        Load(path);
        if (fill == "reopen") {
            QTest::keyClicks(cmbType(), "C");
            QCOMPARE(cmbType()->currentText(), QString("Classes"));
            Load(path);
        } else if (fill == "delete") {
            AddCategory("Forms", "mnuAddCat2");
            QTest::keyClick(cmbType(), Qt::Key_End);
            QCOMPARE(cmbType()->currentText(), QString("Forms"));
            DeleteCategory(5, Prompts::Yes, "mnuDelCat2");
        }
        QCOMPARE(cmbType()->currentText(), QString());
        const QList<QWidget*> boxes = {Find(w.get(), "txtName"), Find(w.get(), "txtContent")};
        for (QWidget* box : boxes) QTest::keyClicks(box, " ");
        QVERIFY(!Enabled("cmdAdd"));
        QTest::keyClick(cmbType(), Qt::Key_Down);
        QCOMPARE(cmbType()->currentText(), QString("Modules"));
        QVERIFY(Enabled("cmdAdd"));
        for (QWidget* box : boxes) {  // each emptied in turn
            QTest::keyClick(box, Qt::Key_Backspace);
            QVERIFY(!Enabled("cmdAdd"));
            QTest::keyClicks(box, " ");
        }
    }

    // F1 and Help > Contents open the pages beside the program, else the installed ones; Web site
    // the home page. The window carries the program's icon, the picture About shows; only a left
    // click on the box's link opens the home page, and closing the box deletes it.
    void helpMenu() {
        const QString beside = platform::ProgramFolder() + QStringLiteral("/help/index.htm");
        QVERIFY(QDir().mkpath(QFileInfo(beside).path()) && testsupport::WriteAll(beside, ""));
        QTest::keyClick(w.get(), Qt::Key_F1);
        QVERIFY(QFile::remove(beside) && QDir().rmdir(QFileInfo(beside).path()));
        Trigger(w.get(), "mnuContents");
        Trigger(w.get(), "mnuWeb");
        const QString installed = platform::ProgramFolder() + QStringLiteral("/../share/snippary/help/index.htm");
        QCOMPARE(prompts->Opened(), QStringList({beside, QDir::cleanPath(installed), about::HomePage()}));
        Trigger(w.get(), "mnuAbout");
        QPointer<QWidget> box = Shown("frmAbout");
        QVERIFY(box != nullptr);
        const QImage picture = Find<QLabel>(box, "Image1")->pixmap().toImage();
        QVERIFY(!picture.allGray());
        QCOMPARE(w->windowIcon().pixmap(picture.size()).toImage(), picture);
        QTest::mouseClick(Find(box, "lblWWW"), Qt::RightButton);
        QTest::mouseClick(Find(box, "Label9"), Qt::LeftButton);
        QTest::mouseClick(Find(box, "lblWWW"), Qt::LeftButton);
        QCOMPARE(prompts->Opened().mid(3), QStringList{about::HomePage()});
        box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(box.isNull());
    }

    // A cancelled font dialog leaves the font unset; a chosen size is stored in whole points
    // (a half to the even one).
    void contentFontStored_data() {
        QTest::addColumn<QString>("name");  // empty: the dialog is cancelled
        QTest::addColumn<double>("size");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("cancelled") << "" << 0.0 << QByteArray("FontName=\r\nFontSize=0\r\n");
        QTest::newRow("half down") << "Serif" << 8.5 << QByteArray("FontName=Serif\r\nFontSize=8\r\n");
        QTest::newRow("half up") << "Serif" << 9.5 << QByteArray("FontName=Serif\r\nFontSize=10\r\n");
    }
    void contentFontStored() {
        QFETCH(QString, name);
        QFETCH(double, size);
        QFETCH(QByteArray, stored);
        prompts->ExpectFont(name.isEmpty() ? std::nullopt : std::make_optional(platform::FontChoice{name, size}));
        Trigger(w.get(), "mnuChgFont");
        Close();
        QVERIFY(testsupport::ReadAll(platform::SettingsFile()).contains(stored));
    }

    // The Edit menu's entries and their keys are one action in every box: the same
    // clipboard and the same text whichever the user takes.
    void editKeysAndMenu_data() {
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
    void editKeysAndMenu() {
        QFETCH(QString, box);
        QFETCH(int, entry);
        QFETCH(bool, select);
        QFETCH(bool, byKey);
        ClickTab(w.get(), box == "txtFind" ? 1 : 2);
        auto* target = Find(w.get(), box);
        target->setFocus();
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
    void copyIntoClipboard() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        QTest::keyClicks(txtCod(), "Sub A()");
        QTest::keyClick(txtCod(), Qt::Key_Return);
        QTest::keyClicks(txtCod(), "End Sub");
        Click(w.get(), "cmdCopy");
        QStringList copied = {clipboard->text()};
        QTest::keyClick(txtCod(), Qt::Key_Up, Qt::ShiftModifier);
        Click(w.get(), "cmdCopy");
        copied << clipboard->text();
        clipboard->setText("before");
        lvTOC()->setFocus();
        for (int entry = 0; entry < 3; ++entry) Trigger(w.get(), QStringLiteral("mnuEdit_%1").arg(entry));
        QCOMPARE(copied << clipboard->text(), QStringList({"Sub A()\nEnd Sub", "\nEnd Sub", "before"}));
    }
};

QTEST_MAIN(tst_window)
#include "tst_window.moc"
