// The Add to Archive page against a real library: what is stored and listed, text
// refused whole, failures that keep the boxes, file reading, and finding by date.
#include <QtTest>
#include <QtWidgets>

#include "main/ui/addpage.h"
#include "main/ui/searchpage.h"
#include "platform/scriptedprompts.h"
#include "store/statements.h"
#include "testlibrary.h"
#include "testsupport.h"

using snippary::AddPage;
using snippary::SnippetRow;

Q_DECLARE_METATYPE(snippary::SnippetRow)

namespace {
QLineEdit* Line(QWidget& page, const char* name) { return page.findChild<QLineEdit*>(name); }
QPlainTextEdit* Code(QWidget& page) { return page.findChild<QPlainTextEdit*>("txtContent"); }
QPushButton* Button(QWidget& page, const char* name) { return page.findChild<QPushButton*>(name); }
QComboBox* Combo(QWidget& page) { return page.findChild<QComboBox*>("cmbType"); }
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

class tst_addpage : public QObject {
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
    QStringList Stored(qint64 id, const QStringList& columns) {
        store::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM Code WHERE ID=%1").arg(id), &lib->con);
        QStringList values;
        for (const QString& column : columns) values << (rs.Eof() ? "<none>" : rs.Fields(column).toString());
        return values;
    }

private Q_SLOTS:
    void initTestCase() {
        testsupport::UseOwnSettingsFolders();
        qRegisterMetaType<SnippetRow>();
    }
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        lib = std::make_unique<testsupport::TempLibrary>();
        prompts.Clear();
    }
    void cleanup() { lib.reset(); }

    // Whatever is typed into any box is stored as typed (line ends as CR LF), nothing the
    // text might smuggle in runs, and it is listed; the boxes empty for the next. Text the
    // library cannot store as typed, or a library that cannot take it (here: closed), is
    // refused with a message that keeps every box.
    void add_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("refusal");  // the message's start; empty: stored
        const QList<QPair<const char*, QString>> texts = {
            {"injection", QStringLiteral("'); DROP TABLE Code; --")},
            {"translated words", QStringLiteral("Types.TypeID Instr(a,b) DateAdded>=#1/1/2002#")},
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
            QVERIFY(Button(*page, "cmdAdd")->isEnabled());
            if (!closed) QCOMPARE(lib->Value("SELECT Count(*) FROM Code"), "0");
            return;
        }
        QCOMPARE(prompts.Messages(), QStringList());
        QCOMPARE(spy.count(), 1);
        const SnippetRow row = spy.at(0).at(0).value<SnippetRow>();
        QStringList stored = shown;
        stored[3].replace("\n", "\r\n");
        // The list shows the stored moment.
        QCOMPARE(Stored(row.id, {"Name", "Description", "Source", "Content", "TypeID", "DateAdded"}),
                 stored << "3" << QVariant(row.dateAdded).toString());
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
        QTest::newRow("lone LF stays") << QByteArray("a\nb\r\n") << "a\nb\r\n";
        QTest::newRow("Windows-1252") << QByteArray("' caf\xe9 \x80\r\n") << QStringLiteral("' café €\r\n");
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
        QVERIFY(Button(*page, "cmdAdd")->isEnabled());
        if (content.isNull()) QCOMPARE(Boxes(*page), QStringList({"typed name", "stays", "", "typed code"}));
        if (content.isNull()) return;
        QCOMPARE(Boxes(*page).mid(0, 2), QStringList({"modSort.bas", "stays"}));
        QCOMPARE(page->ContentForStore(), content);
        QSignalSpy spy(page.get(), &AddPage::snippetAdded);
        Button(*page, "cmdAdd")->click();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(Stored(spy.at(0).at(0).value<SnippetRow>().id, {"Content"}), QStringList{content});
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
        const struct {
            QString from, to;
            int count;
        } cases[] = {{today, QString(), 1}, {tomorrow, QString(), 0}, {QString(), today, 0}, {QString(), tomorrow, 1}};
        for (const auto& c : cases) {
            Line(search, "txtFrom")->setText(c.from);
            Line(search, "txtTo")->setText(c.to);
            store::Recordset rs;
            rs.Open(store::stmt::SelectDisplay(store::BuildWhere({3}), search.BuildFind(), QString()), &lib->con);
            int n = 0;
            for (; !rs.Eof(); rs.MoveNext()) ++n;
            QCOMPARE(n, c.count);
        }
    }
};

QTEST_MAIN(tst_addpage)
#include "tst_addpage.moc"
