// The Add to Archive page on a real library: what is stored and listed, text refused whole,
// failures that keep the boxes, file reading, finding by date. The Search page: when Find can
// be pressed, what a click asks the window to search for, dates checked as they are typed.
#include <QtTest>
#include <QtWidgets>

#include "main/ui/addpage.h"
#include "main/ui/searchpage.h"
#include "platform/scriptedprompts.h"
#include "store/statements.h"
#include "testlibrary.h"
#include "testsupport.h"

using snippary::AddPage;
using snippary::SearchPage;
using snippary::SnippetRow;

namespace {
QLineEdit* Line(QWidget& page, const char* name) { return page.findChild<QLineEdit*>(name); }
QPlainTextEdit* Code(QWidget& page) { return page.findChild<QPlainTextEdit*>("txtContent"); }
QPushButton* Button(QWidget& page, const char* name) { return page.findChild<QPushButton*>(name); }
QComboBox* Combo(QWidget& page) { return page.findChild<QComboBox*>("cmbType"); }
QPushButton* Find(QWidget& page) { return page.findChild<QPushButton*>("cmdFind"); }
// Ticks the columns of `mask` ("1001": Name and Content) by clicks, so the enabling rule runs.
void SetTicks(SearchPage& page, const QString& mask) {
    for (int i = 0; i < 4; ++i) {
        auto* box = page.findChild<QCheckBox*>(QStringLiteral("chkFind_%1").arg(i));
        if (box->isChecked() != (mask.at(i) == u'1')) box->click();
    }
}
// The name, description, source and content boxes.
void Type(QWidget& page, const QStringList& texts) {
    Line(page, "txtName")->setText(texts[0]);
    Line(page, "txtDesc")->setText(texts[1]);
    Line(page, "txtSource")->setText(texts[2]);
    Code(page)->setPlainText(texts[3]);
}
QStringList Boxes(QWidget& page) {
    return {Line(page, "txtName")->text(), Line(page, "txtDesc")->text(), Line(page, "txtSource")->text(),
            Code(page)->toPlainText()};
}
}  // namespace

class tst_pages : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testsupport::TempLibrary> lib;
    platform::ScriptedPrompts prompts;

    // The page with category 3 chosen, as the window fills it.
    std::unique_ptr<AddPage> MakePage() {
        auto page = std::make_unique<AddPage>(prompts);
        page->ShowCategories({{2, QStringLiteral("Functions")}, {3, QStringLiteral("Modules")}});
        Combo(*page)->setCurrentIndex(1);
        page->SetConnection(&lib->con);
        return page;
    }

private Q_SLOTS:
    void initTestCase() { testsupport::UseOwnSettingsFolders(); }
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        lib = std::make_unique<testsupport::TempLibrary>();
        prompts.Clear();
    }

    // Whatever is typed into any box is stored as typed (line ends as CR LF), nothing the
    // text might smuggle in runs, and it is listed; the boxes empty for the next. Text the
    // library cannot store as typed, or a library that cannot take it (here: closed), is
    // refused with a message that keeps every box.
    void add_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("refusal");  // the message's start; empty: stored
        const QList<QPair<const char*, QString>> texts = {
            {"injection", QStringLiteral("'); DROP TABLE Code; -- Types.TypeID Instr(a,b) DateAdded>=#1/1/2002#")},
            {"astral", QString::fromUtf8("\xF0\x9F\x98\x80 x")},
            {"NUL", QStringLiteral("a") + QChar(0) + QStringLiteral("b")},
            {"lone surrogate", QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b")},
        };
        for (int field = 0; field < 4; ++field)
            for (const auto& [name, text] : texts) {
                QStringList typed{"n", "", "", "c"};
                typed[field] = text;
                const bool refused = text.contains(QChar(0)) || text.contains(QChar(0xD800));
                QTest::newRow(qPrintable(QStringLiteral("%1, field %2").arg(name).arg(field)))
                    << typed << false << (refused ? "3075 # The text holds " : "");
            }
        QTest::newRow("line ends") << QStringList{"A", "", "my notes", "Sub A()\nEnd Sub\n"} << false << "";
        QTest::newRow("1 MB line") << QStringList{"n", "", "", QString(1 << 20, u'x')} << false << "";
        QTest::newRow("closed library") << QStringList{"Kept", "desc", "src", "Sub Kept()\nEnd Sub"} << true
                                        << "No library is open. The snippet was not added.";
    }
    void add() {
        QFETCH(QStringList, typed);
        QFETCH(bool, closed);
        QFETCH(QString, refusal);
        auto page = MakePage();
        if (closed) lib->con.Close();
        QSignalSpy spy(page.get(), &AddPage::snippetAdded);
        Type(*page, typed);
        const QStringList shown = Boxes(*page);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        Button(*page, "cmdAdd")->click();
        if (!refusal.isEmpty()) {
            const QStringList said = prompts.Messages();
            QVERIFY2(said.size() == 1 && said[0].startsWith(refusal), qPrintable(said.join('\n')));
            QCOMPARE(spy.count(), 0);
            QCOMPARE(Boxes(*page), shown);
            if (!closed) QCOMPARE(lib->Value("SELECT Count(*) FROM Code"), "0");
            return;
        }
        QCOMPARE(prompts.Messages(), QStringList());
        QCOMPARE(spy.count(), 1);
        const SnippetRow row = spy.at(0).at(0).value<SnippetRow>();
        QStringList stored = shown;
        stored[3].replace("\n", "\r\n");
        QStringList got;
        for (const char* column : {"Name", "Description", "Source", "Content", "TypeID", "DateAdded"})
            got << lib->Value(QStringLiteral("SELECT %1 FROM Code WHERE ID=%2").arg(column).arg(row.id));
        QCOMPARE(got, stored << "3" << QVariant(row.dateAdded).toString());  // the list shows the stored moment
        QCOMPARE(QStringList({row.name, row.typeName, row.source}), QStringList({shown[0], "Modules", shown[2]}));
        QVERIFY(row.dateAdded >= before && row.dateAdded <= QDateTime::currentDateTime());
        QCOMPARE(lib->Value("SELECT Count(*) FROM Code"), "1");
        QCOMPARE(Boxes(*page), QStringList({"", "", "", ""}));
        QCOMPARE(Combo(*page)->currentIndex(), 1);
        QVERIFY(!Button(*page, "cmdAdd")->isEnabled());
    }

    // A file's text is read whole in its encoding, its line ends kept, and stored as read;
    // a file that cannot be read, or none chosen, leaves the boxes as typed.
    void fileSelect_data() {
        QTest::addColumn<QByteArray>("bytes");  // null: the dialog cancelled
        QTest::addColumn<QString>("content");   // null: not read
        QTest::newRow("Windows-1252, a lone LF")
            << QByteArray("' caf\xe9 \x80\nb\r\n") << QStringLiteral("' café €\nb\r\n");
        QTest::newRow("binary") << QByteArray("MZ\0\0\x01", 5) << QString();
        QTest::newRow("dialog cancelled") << QByteArray() << QString();
    }
    void fileSelect() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, content);
        auto page = MakePage();
        Type(*page, {"typed name", "stays", "", "typed code"});
        const QString file = lib->dir.filePath(QStringLiteral("modSort.bas"));
        if (!bytes.isNull()) QVERIFY(testsupport::WriteAll(file, bytes));
        prompts.ExpectOpenFile(bytes.isNull() ? QString() : file);
        Button(*page, "cmdFileSelect")->click();
        const auto& asked = prompts.History().first();
        QCOMPARE(QStringList({asked.title, asked.filter, asked.initialFolder}),
                 QStringList({"Select file", "Module (*.bas)|*.bas|Class (*.cls)|*.cls|All files (*.*)|*.*",
                              QDir::homePath()}));
        QCOMPARE(prompts.Messages().size(), content.isNull() && !bytes.isNull() ? 1 : 0);
        if (content.isNull()) QCOMPARE(Boxes(*page), QStringList({"typed name", "stays", "", "typed code"}));
        if (content.isNull()) return;
        QCOMPARE(Boxes(*page).mid(0, 2), QStringList({"modSort.bas", "stays"}));
        Button(*page, "cmdAdd")->click();
        QCOMPARE(lib->Value("SELECT Content FROM Code"), content);
        // The next dialog opens where this file was.
        prompts.ExpectOpenFile(QString());
        Button(*page, "cmdFileSelect")->click();
        QCOMPARE(prompts.History().last().initialFolder, lib->dir.path());
    }

    // Added in the user's locale, found by the dates that user types (a date alone is midnight).
    void findByDateInLibrary_data() {
        QTest::addColumn<QString>("locale");
        for (const char* name : {"en_US", "es_US", "es_ES", "fa_IR", "as_IN", "en_GB"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void findByDateInLibrary() {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        auto page = MakePage();
        Type(*page, {"Today", "", "", "x"});
        Button(*page, "cmdAdd")->click();
        snippary::SearchPage search;
        const QString today = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
        const QString tomorrow = QLocale().toString(QDate::currentDate().addDays(1), QLocale::ShortFormat);
        for (const auto& [from, to, count] : {std::tuple{today, QString(), "1"},
                                              {tomorrow, QString(), "0"},
                                              {QString(), today, "0"},
                                              {QString(), tomorrow, "1"}}) {
            Line(search, "txtFrom")->setText(from);
            Line(search, "txtTo")->setText(to);
            const QString query = store::stmt::SelectDisplay(store::BuildWhere({3}), search.BuildFind(), QString());
            QCOMPARE(lib->Value("SELECT count(*) FROM (" + query + ")"), QString(count));
        }
    }

    // Find is pressed without the date boxes losing the focus (as by its access key or
    // Enter): the dates are checked first, and a bad one neither searches nor reaches
    // the condition; a page that is left with nothing to find asks for no search.
    void find_data() {
        QTest::addColumn<QStringList>("typed");  // find, from, to
        QTest::addColumn<QString>("ticks");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("sFind");
        QTest::newRow("nothing") << QStringList{"", "", ""} << "1111" << false << "";
        QTest::newRow("dates, no column") << QStringList{"", "1/1/2002", "2/1/2002"} << "0000" << false << "";
        QTest::newRow("blank counts") << QStringList{" ", "", ""} << "0001" << true << " AND ( Instr(Content,' ')>0)";
        QTest::newRow("to only") << QStringList{"", "", "1/1/2002"} << "0010" << true << " AND (DateAdded<='1/1/2002')";
        QTest::newRow("example")
            << QStringList{"it's", "1/1/2002", ""} << "1001" << true
            << " AND ( Instr(Name,'it''s')>0 OR Instr(Content,'it''s')>0) AND (DateAdded>='1/1/2002')";
        QTest::newRow("bad from, good to")
            << QStringList{"Sub", "yesterday", "2/1/2002"} << "1111" << true
            << " AND ( Instr(Name,'Sub')>0 OR Instr(Description,'Sub')>0 OR "
               "Instr(Source,'Sub')>0 OR Instr(Content,'Sub')>0) AND (DateAdded<='2/1/2002')";
        QTest::newRow("smuggled text") << QStringList{"", "1/1/2002' OR 1=1 --", ""} << "1111" << true << "";
    }
    void find() {
        QFETCH(QStringList, typed);
        QFETCH(QString, ticks);
        QFETCH(bool, enabled);
        QFETCH(QString, sFind);
        SearchPage page;
        QSignalSpy spy(&page, &SearchPage::findRequested);
        Line(page, "txtFind")->setText(typed[0]);
        Line(page, "txtFrom")->setText(typed[1]);
        Line(page, "txtTo")->setText(typed[2]);
        SetTicks(page, ticks);
        QCOMPARE(Find(page)->isEnabled(), enabled);
        Find(page)->click();
        QCOMPARE(spy.count(), enabled && !sFind.isEmpty() ? 1 : 0);
        if (spy.count() == 1) QCOMPARE(spy.at(0).at(0).toString(), sFind);
        // A bad From date is emptied (1/1/2002 is the one good From date of these rows).
        QCOMPARE(Line(page, "txtFrom")->text(), typed[1] == "1/1/2002" ? typed[1] : QString());
        QCOMPARE(Find(page)->isEnabled(), enabled && !sFind.isEmpty());
    }

    // Typed into From and To as a user of the locale types it: leaving the box keeps a
    // date exactly as typed and empties anything else, without a word.
    void dateCheck_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("typed");
        QTest::newRow("us word") << "en_US" << false << "yesterday";
        QTest::newRow("us date") << "en_US" << true << "1/1/2002";
        QTest::newRow("us quote") << "en_US" << false << "1/1/2002'";
        QTest::newRow("de impossible day") << "de_DE" << false << "31.02.2002";
        QTest::newRow("fa_IR own digits") << "fa_IR" << true << "۲۰۰۲/۱/۱۹ ۱۵:۰۴:۰۵";
    }
    void dateCheck() {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(bool, kept);
        QLocale::setDefault(QLocale(locale));
        SearchPage page;
        page.show();
        page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        for (QLineEdit* box : {Line(page, "txtFrom"), Line(page, "txtTo")}) {
            box->setFocus();
            for (const QChar c : typed)  // key by key, digits of any script included
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QVERIFY(Find(page)->isEnabled());
            Line(page, "txtFind")->setFocus();
            QCOMPARE(box->text(), kept ? typed : QString());
        }
        QCOMPARE(Find(page)->isEnabled(), kept);
    }
};

QTEST_MAIN(tst_pages)
#include "tst_pages.moc"
