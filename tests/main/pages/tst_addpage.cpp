// The Add to Archive page against a real library: enabling, the stored row and the
// emitted list row, failures that keep the boxes, file reading, and search results.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "main/ui/addpage.h"
#include "main/ui/searchpage.h"
#include "testlibrary.h"
#include "store/statements.h"
#include "store/store.h"
#include "platform/scriptedprompts.h"
#include "testsupport.h"

using snippary::AddPage;
using snippary::SnippetRow;

Q_DECLARE_METATYPE(snippary::SnippetRow)

namespace {
// The page's controls, found by their design names.
QLineEdit* Line(QWidget& page, const char* name) { return page.findChild<QLineEdit*>(name); }
QPlainTextEdit* Code(QWidget& page) { return page.findChild<QPlainTextEdit*>("txtContent"); }
QPushButton* Button(QWidget& page, const char* name) { return page.findChild<QPushButton*>(name); }
QComboBox* Combo(QWidget& page) { return page.findChild<QComboBox*>("cmbType"); }
}  // namespace

class tst_addpage : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    QString libraryPath, tracePath;
    std::unique_ptr<store::Connection> con;
    platform::ScriptedPrompts prompts;

    QString WriteFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir->filePath(name);
        if (!testsupport::WriteAll(path, bytes)) qFatal("cannot write the test file");
        return path;
    }
    // The page with category 3 chosen, as the window fills it.
    std::unique_ptr<AddPage> MakePage() {
        auto page = std::make_unique<AddPage>(prompts);
        page->ShowCategories({{2, QStringLiteral("Functions")}, {3, QStringLiteral("Modules")}});
        Combo(*page)->setCurrentIndex(1);
        page->SetConnection(con.get());
        return page;
    }
    QVariant StoredField(qint64 id, const QString& column) {
        store::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM Code WHERE ID=%1").arg(id), con.get());
        const QVariant value = rs.Eof() ? QVariant() : rs.Fields(column);
        rs.Close();
        return value;
    }
    // The statement texts of the trace, as the program issued them (one JSON object a line).
    QStringList Traced() const {
        QFile trace(tracePath);
        if (!trace.open(QIODevice::ReadOnly)) return {};
        QStringList statements;
        for (const QByteArray& line : trace.readAll().split('\n'))
            if (!line.isEmpty())
                statements << QJsonDocument::fromJson(line).object().value(QStringLiteral("sql")).toString();
        return statements;
    }
    // Box `field` of the page (0 name, 1 description, 2 source, 3 content) and its text.
    static QString BoxText(AddPage& page, int field) {
        QLineEdit* boxes[] = {Line(page, "txtName"), Line(page, "txtDesc"), Line(page, "txtSource")};
        return field < 3 ? boxes[field]->text() : Code(page)->toPlainText();
    }
    // The required boxes filled, then `text` typed into box `field`; what the box holds.
    static QString TypeInto(AddPage& page, int field, const QString& text) {
        QLineEdit* boxes[] = {Line(page, "txtName"), Line(page, "txtDesc"), Line(page, "txtSource")};
        Line(page, "txtName")->setText(QStringLiteral("n"));
        Code(page)->setPlainText(QStringLiteral("c"));
        if (field < 3)
            boxes[field]->setText(text);
        else
            Code(page)->setPlainText(text);
        return BoxText(page, field);
    }
    qint64 CountCode() {
        store::Recordset rs;
        rs.Open(QStringLiteral("SELECT Count(*) FROM Code"), con.get());
        const qint64 n = rs.Fields(0).toLongLong();
        rs.Close();
        return n;
    }

private Q_SLOTS:
    void initTestCase() {
        testsupport::UseOwnSettingsFolders();
        qRegisterMetaType<SnippetRow>();
    }
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        tracePath = dir->filePath(QStringLiteral("trace.sql"));
        qputenv("SNIPPARY_TRACE_SQL", tracePath.toUtf8());
        libraryPath = dir->filePath(QStringLiteral("lib.snip"));
        con = std::make_unique<store::Connection>();
        testsupport::NewLibrary(*con, libraryPath);
        prompts.Clear();
    }
    void cleanup() {
        con.reset();
        dir.reset();
    }

    // Hostile text in each box: stored and read back as typed, and the trace holds the
    // one INSERT and nothing the text might have smuggled in.
    void hostileTextInEveryField_data() {
        QTest::addColumn<int>("field");  // 0 name, 1 description, 2 source, 3 content
        QTest::addColumn<QString>("text");
        const QList<QPair<const char*, QString>> texts = {
            {"injection", QStringLiteral("'); DROP TABLE Code; --")},
            {"quotes and comment", QStringLiteral("\"'\"'' -- ; /* x */")},
            {"right-to-left", QString::fromUtf8("\u202Eabc\u200F \u05D0\u05D1")},
            {"translated words", QStringLiteral("Types.TypeID Instr(a,b) DateAdded>=#1/1/2002#")},
            {"astral", QString::fromUtf8("\xF0\x9F\x98\x80 x")},
        };
        for (int field = 0; field < 4; ++field)
            for (const auto& t : texts)
                QTest::newRow(qPrintable(QStringLiteral("%1, field %2").arg(t.first).arg(field))) << field << t.second;
        QTest::newRow("1 MB line, content") << 3 << QString(1 << 20, u'x');
    }
    // Text that cannot be stored as typed is refused with a message, and nothing is added.
    void unstorableText_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        const QString nul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        const QString lone = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
        for (int field = 0; field < 4; ++field) {
            QTest::newRow(qPrintable(QStringLiteral("NUL, field %1").arg(field))) << field << nul;
            QTest::newRow(qPrintable(QStringLiteral("lone surrogate, field %1").arg(field))) << field << lone;
        }
    }
    void unstorableText() {
        QFETCH(int, field);
        QFETCH(QString, text);
        auto page = MakePage();
        const QString typed = TypeInto(*page, field, text);
        Button(*page, "cmdAdd")->click();
        QCOMPARE(CountCode(), 0);
        QCOMPARE(prompts.Messages().size(), 1);
        QVERIFY2(prompts.Messages()[0].startsWith(QLatin1String("3075 # The text holds ")),
                 qPrintable(prompts.Messages()[0]));
        QCOMPARE(BoxText(*page, field), typed);
    }
    void hostileTextInEveryField() {
        QFETCH(int, field);
        QFETCH(QString, text);
        auto page = MakePage();
        QSignalSpy spy(page.get(), &AddPage::snippetAdded);
        const QString typed = TypeInto(*page, field, text);
        QVERIFY(!typed.isEmpty());
        QFile::remove(tracePath);
        Button(*page, "cmdAdd")->click();
        QCOMPARE(prompts.Messages(), QStringList());
        QCOMPARE(spy.count(), 1);
        const SnippetRow row = spy.at(0).at(0).value<SnippetRow>();
        const char* columns[] = {"Name", "Description", "Source", "Content"};
        QCOMPARE(StoredField(row.id, QString::fromLatin1(columns[field])).toString(), typed);
        QCOMPARE(CountCode(), 1);

        QStringList changes;
        for (const QString& sql : Traced())
            if (!sql.isEmpty() && !sql.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive))
                changes << sql.left(40);
        // The insert, inside the transaction that also reads its ID.
        QCOMPARE(changes.size(), 1 + 2 * changes.filter(QStringLiteral("BEGIN")).size());
        QCOMPARE(changes.filter(QRegularExpression(QStringLiteral("^INSERT INTO Code"))).size(), 1);
    }

    void emittedRow() {
        auto page = MakePage();
        QSignalSpy spy(page.get(), &AddPage::snippetAdded);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        for (const char* name : {"First", "Second"}) {
            Line(*page, "txtName")->setText(QString::fromLatin1(name));
            Line(*page, "txtSource")->setText(QStringLiteral("my notes"));
            Code(*page)->setPlainText(QStringLiteral("Sub A()\nEnd Sub\n"));
            Button(*page, "cmdAdd")->click();
        }
        QCOMPARE(spy.count(), 2);
        const SnippetRow first = spy.at(0).at(0).value<SnippetRow>();
        const SnippetRow row = spy.at(1).at(0).value<SnippetRow>();
        QVERIFY(row.id > first.id);
        QCOMPARE(row.name, QStringLiteral("Second"));
        QCOMPARE(row.typeName, QStringLiteral("Modules"));
        QCOMPARE(row.source, QStringLiteral("my notes"));
        QVERIFY(row.dateAdded >= before && row.dateAdded <= QDateTime::currentDateTime());
        // The list shows the same text the statement carried, and the store holds that moment.
        QCOMPARE(StoredField(row.id, QStringLiteral("DateAdded")).toDateTime(), row.dateAdded);
        QCOMPARE(StoredField(row.id, QStringLiteral("Name")).toString(), row.name);
        QCOMPARE(StoredField(row.id, QStringLiteral("TypeID")).toLongLong(), qint64(3));
        QCOMPARE(StoredField(row.id, QStringLiteral("Content")).toString(), QStringLiteral("Sub A()\r\nEnd Sub\r\n"));
        // Boxes emptied, category kept, Add disabled.
        QCOMPARE(Line(*page, "txtName")->text(), QString());
        QCOMPARE(Line(*page, "txtSource")->text(), QString());
        QCOMPARE(Code(*page)->toPlainText(), QString());
        QCOMPARE(Combo(*page)->currentIndex(), 1);
        QVERIFY(!Button(*page, "cmdAdd")->isEnabled());
    }

    // A library that cannot take the snippet (here: closed) keeps everything typed.
    void failingInsertKeepsBoxes() {
        auto page = MakePage();
        con->Close();
        QSignalSpy spy(page.get(), &AddPage::snippetAdded);
        Line(*page, "txtName")->setText(QStringLiteral("Kept"));
        Line(*page, "txtDesc")->setText(QStringLiteral("desc"));
        Line(*page, "txtSource")->setText(QStringLiteral("src"));
        Code(*page)->setPlainText(QStringLiteral("Sub Kept()\nEnd Sub"));
        Button(*page, "cmdAdd")->click();
        QCOMPARE(spy.count(), 0);
        QCOMPARE(prompts.Messages().size(), 1);
        QVERIFY(!prompts.Messages().at(0).isEmpty());
        QCOMPARE(Line(*page, "txtName")->text(), QStringLiteral("Kept"));
        QCOMPARE(Line(*page, "txtDesc")->text(), QStringLiteral("desc"));
        QCOMPARE(Line(*page, "txtSource")->text(), QStringLiteral("src"));
        QCOMPARE(Code(*page)->toPlainText(), QStringLiteral("Sub Kept()\nEnd Sub"));
        QVERIFY(Button(*page, "cmdAdd")->isEnabled());
    }

    void fileSelect_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("content");
        QTest::newRow("CR LF") << QByteArray("Sub A()\r\nEnd Sub\r\n") << "Sub A()\r\nEnd Sub\r\n";
        QTest::newRow("lone LF stays") << QByteArray("a\nb\r\n") << "a\nb\r\n";
        QTest::newRow("UTF-8") << QByteArray(
                                      "' Gr\xc3\xbc\xc3\x9f"
                                      "e\r\n")
                               << QStringLiteral("' Grüße\r\n");
        QTest::newRow("Windows-1252") << QByteArray("' caf\xe9 \x80\r\n") << QStringLiteral("' café €\r\n");
    }
    void fileSelect() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, content);
        auto page = MakePage();
        Line(*page, "txtDesc")->setText(QStringLiteral("stays"));
        prompts.ExpectOpenFile(WriteFile(QStringLiteral("modSort.bas"), bytes));
        Button(*page, "cmdFileSelect")->click();
        QCOMPARE(prompts.History().last().title, QStringLiteral("Select file"));
        QCOMPARE(prompts.History().last().filter,
                 QStringLiteral("Module (*.bas)|*.bas|Class (*.cls)|*.cls|All files (*.*)|*.*"));
        QCOMPARE(prompts.History().last().initialFolder, QDir::homePath());
        QCOMPARE(prompts.Messages(), QStringList());
        QCOMPARE(Line(*page, "txtName")->text(), QStringLiteral("modSort.bas"));
        QCOMPARE(Line(*page, "txtDesc")->text(), QStringLiteral("stays"));
        QCOMPARE(page->ContentForStore(), content);
        QCOMPARE(Button(*page, "cmdAdd")->isEnabled(), !content.isEmpty());
        if (content.isEmpty()) return;
        QSignalSpy spy(page.get(), &AddPage::snippetAdded);
        Button(*page, "cmdAdd")->click();
        QCOMPARE(spy.count(), 1);
        const qint64 id = spy.at(0).at(0).value<SnippetRow>().id;
        QCOMPARE(StoredField(id, QStringLiteral("Content")).toString(), content);
        // The next dialog opens where this file was.
        prompts.ExpectOpenFile(QString());
        Button(*page, "cmdFileSelect")->click();
        QCOMPARE(prompts.History().last().initialFolder, dir->path());
    }

    // A file that cannot be read, or none chosen, leaves the boxes as typed.
    void unreadableFileKeepsBoxes_data() {
        QTest::addColumn<QString>("which");
        QTest::newRow("binary") << "binary";
        QTest::newRow("dialog cancelled") << "cancelled";
    }
    void unreadableFileKeepsBoxes() {
        QFETCH(QString, which);
        auto page = MakePage();
        Line(*page, "txtName")->setText(QStringLiteral("typed name"));
        Code(*page)->setPlainText(QStringLiteral("typed code"));
        QString path;
        if (which == QLatin1String("binary")) path = WriteFile(QStringLiteral("x.bas"), QByteArray("MZ\0\0\x01", 5));
        prompts.ExpectOpenFile(path);
        Button(*page, "cmdFileSelect")->click();
        QCOMPARE(prompts.Messages().size(), which == QLatin1String("cancelled") ? 0 : 1);
        QCOMPARE(Line(*page, "txtName")->text(), QStringLiteral("typed name"));
        QCOMPARE(Code(*page)->toPlainText(), QStringLiteral("typed code"));
        QVERIFY(Button(*page, "cmdAdd")->isEnabled());
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
        Line(*page, "txtName")->setText(QStringLiteral("Today"));
        Code(*page)->setPlainText(QStringLiteral("x"));
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
            rs.Open(store::stmt::SelectDisplay(store::BuildWhere({3}), search.BuildFind(), QString()), con.get());
            int n = 0;
            for (; !rs.Eof(); rs.MoveNext()) ++n;
            rs.Close();
            QCOMPARE(n, c.count);
        }
    }
};

QTEST_MAIN(tst_addpage)
#include "tst_addpage.moc"
