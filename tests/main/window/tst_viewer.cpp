// The snippet list and the viewer as the user works them, every question answered by script.
// Run on a library file, and (SNIPPARY_TEST_ON_SERVER) on a team library on the tests' own
// PostgreSQL server, opened through the dialog's server choice.
#include "main/window/windowdriver.h"
#include "store/operations.h"
#include "store/statements.h"
#include "testsupport.h"

using namespace windowdriver;
using platform::Prompts;

namespace {

struct Seeded {
    qint64 type;
    const char *name, *description, *date, *content;
};
// Listed by name: alpha, Beta, gone1, gone2, Zeta. gone1 and gone2 are of the sixth category.
const Seeded kSnippets[] = {{1, "Zeta", "z", "3/3/2001", "Sub Zeta()\r\nEnd Sub"},
                            {4, "alpha", "it's", "1/15/2002 3:04:05 PM", "' it's here"},
                            {4, "Beta", "", "12/1/2002", "Dim s As String"},
                            {6, "gone1", "", "1/1/2003", "x = 1"},
                            {6, "gone2", "", "2/1/2003", "y = 2"}};

}  // namespace

class tst_viewer : public windowdriver::Fixture {
    Q_OBJECT
    QString path, trace;
    const bool onServer = qEnvironmentVariableIsSet("SNIPPARY_TEST_ON_SERVER");

    QStringList Names() const { return Texts(lvTOC()->model()); }
    int RowOf(const QString& name) const { return Names().indexOf(name); }
    QString CurrentName() const { return Names().value(lvTOC()->currentIndex().row()); }
    void ClickRow(const QString& name, Qt::MouseButton button = Qt::LeftButton) {
        windowdriver::ClickRow(lvTOC(), RowOf(name), button);
    }
    void ClickHeader(int section) {
        QHeaderView* h = lvTOC()->header();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(section) + h->sectionSize(section) / 2, h->height() / 2));
    }
    // A column of a snippet as the library holds it; "<gone>" for none.
    QString Stored(const QString& name, const QString& column = QStringLiteral("Content")) const {
        return windowdriver::Stored(path, "SELECT " + column + " FROM Code WHERE Name='" + name + "'")
            .value(0, QStringLiteral("<gone>"));
    }
    qint64 IdOf(const QString& name) const { return Stored(name, "ID").toLongLong(); }
    int ContentReads() const {
        return QString::fromUtf8(testsupport::ReadAll(trace)).count(QStringLiteral("SELECT Content FROM Code WHERE"));
    }

private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }

    void init() {
        static int n = 0;
        path = onServer ? testsupport::NewServerDatabase() : dir.filePath(QStringLiteral("v%1.snip").arg(n + 1));
        trace = dir.filePath(QStringLiteral("v%1.trace").arg(++n));
        store::CreateLibrary(path, QString(), false);
        const auto con = Other(path);
        con->Execute(store::stmt::InsertType("Mine"));
        for (const Seeded& s : kSnippets)
            con->Execute(store::stmt::InsertCode(s.type, s.name, s.description, s.date, "", s.content));
        Start();
        if (onServer) {
            // The server choice, its "..." answered with the address, then Ok.
            prompts->ExpectInputBox(path);
            QTimer::singleShot(0, qApp, [] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                QTest::mouseClick(Find<QRadioButton>(dialog, "optProvider_2"), Qt::LeftButton);
                Click(dialog, "cmdLoadDB");
                Click(dialog, "cmdOk");
            });
            Trigger(w.get(), "mnuLoad");
            Verify();
            prompts->Clear();  // the cases count their own questions
        } else {
            w->OpenAtStart(path);
        }
        Trigger(w.get(), "mnuLstSel_0");  // Select all
        Click(w.get(), "cmdRefresh");
        ClickHeader(0);  // by name
        QStringList columns;
        for (int column = 0; column < 5; ++column) columns << Texts(lvTOC()->model(), column).join(',');
        QCOMPARE(columns,
                 QStringList({"alpha,Beta,gone1,gone2,Zeta", "Functions,Functions,Mine,Mine,Modules", "it's,,,,z",
                              "1/15/2002 3:04:05 PM,12/1/2002,1/1/2003,2/1/2003,3/3/2001", ",,,,"}));
        qputenv("SNIPPARY_TRACE_SQL", QFile::encodeName(trace));
    }

    void cleanup() {
        qunsetenv("SNIPPARY_TRACE_SQL");
        w.reset();
        Verify();
    }

    void deleteLeavesNothingToSave_data() {
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<bool>("locked");
        QTest::newRow("the clicked row") << "alpha" << false;
        QTest::newRow("a right-clicked row") << "Beta" << false;
        QTest::newRow("library held by another program") << "alpha" << true;
    }

    // After Delete item no snippet is shown: Save stays off, so nothing can overwrite the
    // row the list moves to, and every other snippet keeps its code in the file.
    void deleteLeavesNothingToSave() {
        QFETCH(QString, deleted);
        QFETCH(bool, locked);
        if (locked && onServer) QSKIP("a transaction on a server locks no other writer out");
        ClickRow("alpha");
        if (deleted != "alpha") ClickRow(deleted, Qt::RightButton);
        const auto other = Other(path, locked);
        prompts->ExpectMsgBox("Are you sure?", Prompts::Yes);
        if (locked) prompts->ExpectMsgBoxContaining("3260 # ");
        Trigger(w.get(), "mnuDelItem");
        other->RollbackTrans();
        if (!locked) {
            QTest::keyClicks(txtCod(), "typed");
            Click(w.get(), "cmdSaveCont");
        }
        QCOMPARE(RowOf(deleted) >= 0, locked);
        QCOMPARE(Enabled("cmdSaveCont"), locked);
        for (const Seeded& s : kSnippets)
            QCOMPARE(Stored(s.name), s.name == deleted && !locked ? QString("<gone>") : QString::fromLatin1(s.content));
    }

    void onlyTheUserLoadsContent_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("sort by date") << "sort" << QStringList({"Zeta", "alpha", "Beta", "gone1", "gone2"});
        QTest::newRow("find") << "find" << QStringList{"alpha"};
        QTest::newRow("a sort keeps the search") << "find sort" << QStringList{"alpha"};
        QTest::newRow("Refresh ends the search")
            << "find refresh" << QStringList({"alpha", "Beta", "gone1", "gone2", "Zeta"});
        QTest::newRow("nothing ticked lists nothing") << "find untick refresh" << QStringList();
    }

    // Sorting, switching pages, Find and Refresh move the focus and the list's current
    // row, but only a click or a key on a row shows a snippet.
    void onlyTheUserLoadsContent() {
        QFETCH(QString, steps);
        QFETCH(QStringList, listed);
        lvTOC()->setFocus(Qt::TabFocusReason);
        for (const QString& step : steps.split(' ')) {
            if (step == "sort") ClickHeader(3);
            if (step == "find") {
                ClickTab(w.get(), 1);
                QTest::keyClicks(Find<QLineEdit>(w.get(), "txtFind"), "IT'S");
                Click(w.get(), "cmdFind");
            }
            if (step == "untick") Trigger(w.get(), "mnuLstSel_1");
            if (step == "refresh") Click(w.get(), "cmdRefresh");
            ClickTab(w.get(), 0);
        }
        QCOMPARE(Names(), listed);
        QCOMPARE(Find<QLineEdit>(w.get(), "txtFind")->text().isEmpty(),
                 steps.contains("refresh") || !steps.contains("find"));
        QCOMPARE(ContentReads(), 0);
        QVERIFY(txtCod()->toPlainText().isEmpty());
        if (listed.isEmpty()) return;
        QTest::keyClick(lvTOC(), Qt::Key_Down);  // a key on the list does show one
        QCOMPARE(ContentReads(), 1);
        QCOMPARE(txtCod()->toPlainText(), Stored(CurrentName()).replace("\r\n", "\n"));
    }

    void editsAreNotDroppedUnasked_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<int>("answer");  // 0: no question
        QTest::addColumn<bool>("locked");
        for (const char* c : {"row click", "key", "Refresh", "Close database", "Load database", "Exit", "close box"})
            for (const auto& [answer, name] :
                 {std::pair{Prompts::Yes, "Yes"}, {Prompts::No, "No"}, {Prompts::Cancel, "Cancel"}})
                QTest::addRow("%s, %s", c, name) << c << true << int(answer) << false;
        QTest::newRow("row click, nothing typed") << "row click" << false << 0 << false;
        QTest::newRow("Exit, nothing typed") << "Exit" << false << 0 << false;
        QTest::newRow("row click, no change of existing code") << "no change" << true << 0 << false;
        QTest::newRow("row click, Yes, library held") << "row click" << true << int(Prompts::Yes) << true;
    }

    // Text typed into the viewer is saved, dropped or kept as the user answers before a
    // command would replace it; loading by a click alone is no edit.
    void editsAreNotDroppedUnasked() {
        QFETCH(QString, command);
        QFETCH(bool, typed);
        QFETCH(int, answer);
        QFETCH(bool, locked);
        if (locked && onServer) QSKIP("a transaction on a server locks no other writer out");
        ClickRow("alpha");
        if (command == "no change") Trigger(w.get(), "mnuOpt_2");
        if (typed) {
            QTest::keyClick(txtCod(), Qt::Key_End, Qt::ControlModifier);
            QTest::keyClicks(txtCod(), " 'edited'");
        }
        const QString shown = txtCod()->toPlainText();
        if (answer != 0) prompts->ExpectMsgBox("Save the changes to alpha?", Prompts::Answer(answer));
        if (locked) prompts->ExpectMsgBoxContaining("3260 # ");
        const auto other = Other(path, locked);
        if (command == "row click" || command == "no change") ClickRow("Beta");
        if (command == "key") QTest::keyClick(lvTOC(), Qt::Key_Down);
        if (command == "Refresh") Click(w.get(), "cmdRefresh");
        if (command == "Close database") Trigger(w.get(), "mnuCloseDB");
        if (command == "Load database") {
            AnswerLoadDB(*prompts, QString());
            Trigger(w.get(), "mnuLoad");
        }
        if (command == "Exit") Trigger(w.get(), "mnuExit");
        if (command == "close box") w->windowHandle()->close();
        other->RollbackTrans();
        Verify();
        if (QTest::currentTestFailed()) return;
        if (answer != 0) QCOMPARE(prompts->History().first().buttons, Prompts::YesNoCancel);
        const bool saved = answer == Prompts::Yes && !locked;
        QCOMPARE(Stored("alpha"), QString(saved ? "' it's here 'edited'" : "' it's here"));
        if (answer == Prompts::Cancel || locked) {
            QCOMPARE(txtCod()->toPlainText(), shown);
            QCOMPARE(CurrentName(), QString("alpha"));
            QVERIFY(w->isVisible());
            QCOMPARE(w->con.State(), store::adStateOpen);
        } else if (command.contains("click") || command == "key") {
            QCOMPARE(txtCod()->toPlainText(), QString("Dim s As String"));
        } else if (command == "Refresh") {
            QCOMPARE(txtCod()->toPlainText(), saved ? shown : QString("' it's here"));
        }
    }

    // Rows of a deleted category stay listed until Refresh; clicking one keeps the viewer's
    // text, and saving text of a snippet that is gone says so instead of "Content saved!".
    void goneSnippetKeepsText() {
        ClickRow("gone1");
        DeleteCategory(5);
        ClickRow("gone2");
        QTest::keyClick(txtCod(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(txtCod(), " kept");
        prompts->ExpectMsgBox("This snippet no longer exists in the library; your text is kept in the viewer.");
        Click(w.get(), "cmdSaveCont");
        QCOMPARE(txtCod()->toPlainText(), QString("x = 1 kept"));
        QVERIFY(!Enabled("cmdSaveCont"));
        QCOMPARE(Stored("gone1"), QString("<gone>"));
    }

    void changeFields_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("answer");  // null: the box is cancelled
        QTest::newRow("description cancelled") << "mnuChgDesc" << QString();
        QTest::newRow("description with apostrophes") << "mnuChgDesc" << QString("O'Brien's");
        QTest::newRow("source") << "mnuChgSource" << QString("new source");
    }
    // The Change entries work on the right-clicked row; a cancelled box changes nothing.
    void changeFields() {
        QFETCH(QString, entry);
        QFETCH(QString, answer);
        const bool description = entry == "mnuChgDesc";
        const QString shown = answer.isNull() ? QString("it's") : answer;
        ClickRow("alpha", Qt::RightButton);
        prompts->ExpectInputBox(answer.isNull() ? std::nullopt : std::optional(answer),
                                description ? "New description?" : "New source of the code?");
        Trigger(w.get(), entry);
        QCOMPARE(Texts(lvTOC()->model(), description ? 2 : 4).value(RowOf("alpha")), shown);
        QCOMPARE(Stored("alpha", description ? "Description" : "Source"), shown);
    }

    void saveConflict_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("overwrite theirs") << int(Prompts::Yes) << "mine\r\n' it's here" << QString("mine\n' it's here");
        QTest::newRow("load theirs") << int(Prompts::No) << "theirs" << QString("theirs");
        QTest::newRow("cancel") << int(Prompts::Cancel) << "theirs" << QString("mine\n' it's here");
    }

    // Someone else (another window, another member) saved the snippet after this
    // window showed it: Save asks before overwriting; loading theirs puts the own
    // text on the clipboard first.
    void saveConflict() {
        QFETCH(int, answer);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        ClickRow("alpha");
        QTest::keyClicks(txtCod(), "mine");
        QTest::keyClick(txtCod(), Qt::Key_Return);
        store::SaveContent(*Other(path), IdOf("alpha"), "theirs");
        QGuiApplication::clipboard()->setText("before");
        prompts->ExpectMsgBoxContaining("Someone else changed alpha", Prompts::Answer(answer));
        if (answer == Prompts::Yes) prompts->ExpectMsgBox("Content saved!");
        Click(w.get(), "cmdSaveCont");
        QCOMPARE(Stored("alpha"), stored);
        QCOMPARE(txtCod()->toPlainText(), shown);
        QCOMPARE(QGuiApplication::clipboard()->text(), answer == Prompts::No ? "mine\n' it's here" : "before");
    }

    // Started on an address with a password written into it: the library opens, and
    // the address kept (stored in the settings at exit) holds no password.
    void startedOnAddress() {
        if (!onServer) QSKIP("a file's path holds no password");
        w->OpenAtStart(QString(path).replace("snippary@", "snippary:secret@"));
        QCOMPARE(w->con.State(), store::adStateOpen);
        QCOMPARE(w->sDb, path);
    }

    // The server drops the window's connection (a restart): Save reports it and keeps
    // the typed text; the next Save connects again and stores it. The title then tells of
    // another member's change (not of the window's own) until Refresh.
    void serverConnectionLost() {
        if (!onServer) QSKIP("a library file has no connection to lose");
        ClickRow("alpha");
        QTest::keyClicks(txtCod(), "kept ");
        testsupport::DropSessions(path);
        prompts->ExpectMsgBoxContaining("3146 # ");
        Click(w.get(), "cmdSaveCont");
        QCOMPARE(txtCod()->toPlainText(), QString("kept ' it's here"));
        prompts->ExpectMsgBox("Content saved!");
        Click(w.get(), "cmdSaveCont");
        QCOMPARE(Stored("alpha"), QString("kept ' it's here"));
        QTest::qWait(100);
        QCOMPARE(w->windowTitle(), QString("Snippary"));
        store::ChangeSource(*Other(path), IdOf("alpha"), "theirs");
        QTRY_COMPARE(w->windowTitle(), QString("Snippary - changed by others since the last Refresh"));
        Click(w.get(), "cmdRefresh");
        QCOMPARE(w->windowTitle(), QString("Snippary"));
    }
};

QTEST_MAIN(tst_viewer)
#include "tst_viewer.moc"
