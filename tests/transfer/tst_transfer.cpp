// Bringing snippets in and taking them out, as a user does it from the terminal:
// the program on real libraries, Access files checked by mdbtools' own tools
// first, folders of code files, editor snippet files and dumps.
#include <QtTest>
#include <csignal>

#include "testsupport.h"
#include "transfer/jetwriter.h"

using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

struct Result {
    int status;
    QString out, err;
};

Result Run(const QStringList& args, const QString& program = SNIPPARY_EXE) {
    QProcess p;
    p.start(program, args);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QJsonObject Dump(const QString& library) {
    return QJsonDocument::fromJson(Run({"dump", library}).out.toUtf8()).object();
}

// The library's snippets as its dump gives them: the fields joined by "|", a Null as "null".
QStringList Rows(const QString& library,
                 const QStringList& fields = {"category", "name", "description", "dateAdded", "source", "content"}) {
    QStringList out;
    for (const QJsonValue& v : Dump(library).value("snippets").toArray()) {
        QStringList values;
        for (const QString& f : fields) values << (v[f].isNull() ? "null" : v[f].toString());
        out << values.join('|');
    }
    return out;
}

const QStringList kPermanent = {"Modules", "Classes", "API Declarations", "Functions", "Snippets"};

}  // namespace

class tst_transfer : public QObject {
    Q_OBJECT
private slots:
    void accessLibrary_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QString>("odd");  // a text outside ASCII the file can hold
        QTest::newRow("Jet 3, Windows-1251") << int(jetfixture::Version::Jet3) << 1251 << QString("Привет, мир №1");
        QTest::newRow("Jet 4, Unicode") << int(jetfixture::Version::Jet4) << 1252 << QString("Ωμέγα 日本語 €");
    }
    // A library in the design's own schema comes in whole: categories in TypeID order
    // (new ones after the library's own), each snippet byte-exact with its date.
    void accessLibrary() {
        QFETCH(int, version);
        QFETCH(int, codePage);
        QFETCH(QString, odd);
        QString memo;
        for (int i = 0; memo.size() < 100 * 1024; ++i)
            memo += QString("    Debug.Print \"line %1 %2\"\r\n").arg(i).arg(odd);
        const QStringList categories = kPermanent + QStringList{"Bob's tools", odd.left(10)};
        const QList<QVariantList> rows = {
            {1, "modSort.bas", "Sorts 'em", QDateTime(QDate(2002, 1, 19), QTime(15, 4, 5)), "my notes", "Sub A()\r\n"},
            {7, odd.left(20), QVariant(), QVariant(), QVariant(), memo},
            {6, "O'Brien's", "", QDateTime(QDate(1999, 12, 31), QTime(0, 0)), odd.left(20), "x = 'quoted'\r\n"},
        };
        const QString mdb =
            AccessFile("lib.mdb", jetfixture::Version(version), jetfixture::LibraryTables(categories, rows), codePage);
        const QString lib = NewLibrary("fromaccess.snip");
        QCOMPARE(Run({"import", lib, mdb}).out, QString("Added 3 snippets and 2 categories.\n"));
        QCOMPARE(Dump(lib).value("categories").toArray().toVariantList(), QVariant(categories).toList());
        QCOMPARE(Rows(lib),
                 (QStringList{"Modules|modSort.bas|Sorts 'em|2002-01-19T15:04:05|my notes|Sub A()\r\n",
                              odd.left(10) + '|' + odd.left(20) + "||null||" + memo,
                              "Bob's tools|O'Brien's||1999-12-31T00:00:00|" + odd.left(20) + "|x = 'quoted'\r\n"}));
    }
    void accessRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray whole = jetfixture::Write(
            jetfixture::Version::Jet4, jetfixture::LibraryTables(kPermanent, {{1, "a", "", QVariant(), "", "x\r\n"}}));
        QTest::newRow("not an Access file") << QByteArray("Sub A()\r\nEnd Sub\r\n") << "is not an Access file";
        QTest::newRow("truncated") << whole.left(whole.size() - 4096) << "is damaged";
        QTest::newRow("header only") << whole.left(4096) << "cannot be read";
        QTest::newRow("no library tables")
            << jetfixture::Write(jetfixture::Version::Jet3, {{"Other", {{"A", jetfixture::Kind::Long}}, {{1}}}})
            << "holds no snippet library";
    }
    // A file that cannot be read as a library is refused with a clear message and nothing is added.
    void accessRefused() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString mdb = dir.filePath("refused.mdb");
        QVERIFY(WriteAll(mdb, bytes) && WriteAll(dir.filePath("good.bas"), "Sub B()\r\n"));
        const QString lib = NewLibrary("refused.snip");
        const Result r = Run({"import", lib, dir.filePath("good.bas"), mdb});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message) && r.err.contains("nothing was added"), qPrintable(r.err));
        QCOMPARE(Rows(lib), QStringList());
    }
    // Another table of an Access file, shown with --list-tables and taken with a mapping.
    void accessTable() {
        using jetfixture::Kind;
        const jetfixture::Table notes{
            "Notes",
            {{"Title", Kind::Text, 40}, {"Body", Kind::Memo}, {"Kind", Kind::Text, 20}, {"Made", Kind::Date}},
            {{"first", "a = 1\r\n", "Tricks", QDateTime(QDate(2010, 5, 6), QTime(7, 8, 9))},
             {"second", "b = 2\r\n", QVariant(), QVariant()},
             {QVariant(), "no title\r\n", "Tricks", QVariant()}}};
        const QString mdb = AccessFile("notes.mdb", jetfixture::Version::Jet3, {notes});
        QCOMPARE(Run({"import", "--list-tables", mdb}).out,
                 QString("Notes\t3 rows\n\tTitle\tText(40)\n\tBody\tMemo\n\tKind\tText(20)\n\tMade\tDate/Time\n"));
        const QString lib = NewLibrary("mapped.snip");
        const Result r = Run({"import", lib, mdb, "--table", "Notes", "--name", "Title", "--content", "Body", "--date",
                              "Made", "--category-column", "Kind", "--category", "Loose"});
        QCOMPARE(r.out, QString("Added 2 snippets and 2 categories; skipped 1 (1 no name).\n"));
        QCOMPARE(Rows(lib),
                 (QStringList{"Tricks|first||2010-05-06T07:08:09||a = 1\r\n", "Loose|second||null||b = 2\r\n"}));
    }
    // A tree of code files: each kind into its category, binary files and links out skipped and listed.
    void folder() {
        const QString tree = dir.filePath("tree/");
        const QList<std::pair<QString, QByteArray>> files = {{"modA.bas", "Sub A()\nEnd Sub"},
                                                             {"Class1.cls", "VERSION 1.0 CLASS\r\n"},
                                                             {"forms/Form1.frm", "Begin VB.Form Form1\r\n"},
                                                             {"forms/Form1.frx", QByteArray("\x01\x00\x02", 3)},
                                                             {"forms/deep/notes.txt", "caf\xe9\r\n"},
                                                             {"script.vbs", "MsgBox \"hi\"\r"}};
        for (const auto& [path, bytes] : files) QVERIFY(WriteAll(tree + path, bytes));
        QVERIFY(WriteAll(dir.filePath("good.bas"), "Sub B()\r\n") &&
                QFile::link(dir.filePath("good.bas"), tree + "outside.bas"));
        const QString lib = NewLibrary("folder.snip");
        const Result r = Run({"import", lib, tree, "--category", "Forms"});
        QCOMPARE(
            r.out,
            QString("Added 5 snippets and 1 category; skipped 2 (1 a binary file, 1 a link out of the folder).\n"));
        QVERIFY(r.err.contains("skipped forms/Form1.frx: a binary file\n") &&
                r.err.contains("skipped outside.bas: a link out of the folder\n"));
        QCOMPARE(Rows(lib, {"category", "name", "source", "content"}),
                 (QStringList{"Classes|Class1.cls|Class1.cls|VERSION 1.0 CLASS\r\n",
                              "Forms|Form1.frm|forms/Form1.frm|Begin VB.Form Form1\r\n",
                              "Forms|notes.txt|forms/deep/notes.txt|café\r\n",
                              "Modules|modA.bas|modA.bas|Sub A()\nEnd Sub\r\n",
                              "Forms|script.vbs|script.vbs|MsgBox \"hi\"\r\n"}));
    }
    // Ctrl+C in the middle of a large import: the library is as it was.
    void interrupted() {
        const QString tree = dir.filePath("big");
        for (int i = 0; i < 10000; ++i)
            QVERIFY(WriteAll(QString("%1/d%2/m%3.bas").arg(tree).arg(i / 100).arg(i), "Sub X()\r\nEnd Sub\r\n"));
        const QString lib = NewLibrary("interrupted.snip");
        const QJsonObject before = Dump(lib);
        QProcess p;
        p.start(SNIPPARY_EXE, {"import", lib, tree});
        p.setReadChannel(QProcess::StandardError);
        QVERIFY(p.waitForReadyRead(60000));
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 130);
        QVERIFY(p.readAllStandardError().contains("interrupted; nothing was added"));
        QCOMPARE(Dump(lib), before);
    }
    void snippetFile_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");         // empty: read
        QTest::addColumn<QStringList>("snippets");  // name|description|content
        QTest::newRow("body as lines, comments, trailing commas")
            << QByteArray(
                   "// mine\n{\n  /* sorted */ \"Sort\": {\"prefix\": \"srt\", \"scope\": \"vb\",\n"
                   "    \"body\": [\"Sub Sort(${1:a})\", \"  \\\\$x = \\\"q\\\" \\\\} $2\", \"End Sub\",],},\n}\n")
            << QString()
            << QStringList{"Sort|prefix: srt; scope: vb|Sub Sort(${1:a})\r\n  $x = \"q\" } $2\r\nEnd Sub\r\n"};
        QTest::newRow("body as a string, description kept, long prefix dropped")
            << QByteArray("{\"One\": {\"body\": \"a\\nb\\tc\\n\", \"description\": \"two lines\", \"prefix\": \"") +
                   QByteArray(300, 'p') + "\"}}"
            << QString() << QStringList{"One|two lines|a\r\nb\tc\r\n"};
        QTest::newRow("malformed") << QByteArray("{\n  \"A\": {\"body\": \"x\"}\n  \"B\": {}\n}")
                                   << QString("at line 3, column") << QStringList{};
    }
    void snippetFile() {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QFETCH(QStringList, snippets);
        const QString file = dir.filePath("user.code-snippets");
        QVERIFY(WriteAll(file, json));
        const QString lib = NewLibrary("json.snip");
        const Result r = Run({"import", lib, file, "--category", "Editor"});
        QCOMPARE(r.status, error.isEmpty() ? 0 : 2);
        QVERIFY2(r.err.contains(error), qPrintable(r.err));
        QCOMPARE(Rows(lib, {"name", "description", "content"}), snippets);
    }
    // Out and in again, hostile texts included: a dump gives the same document apart from the ids;
    // an editor snippet file is strict JSON, its snippet syntax escaped, and gives the same code back.
    void roundTrips() {
        const QString lib = NewLibrary("sample.snip", true);
        const QString hostile = QString("O'Brien \"q\" \\ \t tab\rCR\nLF </script> ${1} é 日本 \U0001F600 '' ;--");
        QVERIFY(WriteAll(dir.filePath("hostile.txt"), hostile.toUtf8()));
        QVERIFY(WriteAll(dir.filePath("tricky.bas"),
                         "s = \"${1:x}\" & \"$HOME\" & \"\\\\}\"\r\n\xEF\xBB\xBFName$ = Left$(a, 1)\r\n"));
        for (int twice = 0; twice < 2; ++twice) QCOMPARE(Run({"import", lib, dir.filePath("tricky.bas")}).status, 0);
        QCOMPARE(Run({"import", lib, dir.filePath("hostile.txt"), "--category", hostile}).status, 0);
        const Result added =
            Run({"add", lib, "--category", hostile, "--name", hostile.left(50), "--description", hostile.left(30),
                 "--source", hostile.left(50), "--content-file", dir.filePath("hostile.txt")});
        QCOMPARE(added.status, 0);
        const QString dumped = dir.filePath("all.json"), exported = dir.filePath("all.code-snippets");
        QCOMPARE(Run({"dump", lib, dumped}).status, 0);
        QCOMPARE(Run({"export", lib, exported}).status, 0);
        const QJsonObject file = QJsonDocument::fromJson(ReadAll(exported)).object();  // strict JSON, or nothing
        QCOMPARE(file.value("tricky.bas (2)").toObject().value("body").toArray().first().toString(),
                 QString("s = \"\\${1:x\\}\" & \"\\$HOME\" & \"\\\\\\\\\\}\""));
        const QString copy = NewLibrary("copy.snip"), back = NewLibrary("back.snip");
        Run({"import", copy, dumped});
        Run({"import", back, exported});
        static const QRegularExpression id("\\n *\"id\": \\d+,");
        QCOMPARE(Run({"dump", copy}).out.remove(id), QString::fromUtf8(ReadAll(dumped)).remove(id));
        QStringList before = Rows(lib, {"content", "description"}), after = Rows(back, {"content", "description"});
        before.sort();
        after.sort();
        QCOMPARE(after, before);
    }
    // Each snippet as a file: DIR/<category>/<name>, module and class extensions added, names unique and safe.
    void exportFiles() {
        const QString lib = NewLibrary("files.snip");
        QVERIFY(WriteAll(dir.filePath("one.txt"), "x\r\n"));
        for (const QString name : {"Modules/modSort", "Snippets/a/b", "Snippets/A/B", "Snippets/.."})
            Run({"add", lib, "--category", name.section('/', 0, 0), "--name", name.section('/', 1), "--content-file",
                 dir.filePath("one.txt")});
        const QString out = dir.filePath("exported");
        QCOMPARE(Run({"export", lib, out + "/", "--files"}).status, 0);
        QStringList files;
        for (QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << QDir(out).relativeFilePath(it.next());
        files.sort();
        QCOMPARE(files, (QStringList{"Modules/modSort.bas", "Snippets/A_B (2)", "Snippets/_..", "Snippets/a_b"}));
        QCOMPARE(ReadAll(out + "/Snippets/a_b"), QByteArray("x\r\n"));
        for (const QStringList& over : {QStringList{"export", lib, lib, "--files"}, QStringList{"dump", lib, lib}})
            QCOMPARE(Run(over).status, 2);  // never over a library
    }

private:
    QString NewLibrary(const QString& name, bool sample = false) {
        const QString path = dir.filePath(name);
        QFile::remove(path);
        return Run(sample ? QStringList{"new", path, "--sample"} : QStringList{"new", path}).status == 0 ? path : "";
    }
    // An Access file written by the test's writer, used only once mdbtools lists and exports it.
    QString AccessFile(const QString& name, jetfixture::Version v, const QList<jetfixture::Table>& tables,
                       int codePage = 1252) {
        const QString path = dir.filePath(name);
        WriteAll(path, jetfixture::Write(v, tables, codePage));
        QString names;
        for (const jetfixture::Table& t : tables) {
            names += t.name + '\n';
            const Result r = Run({path, t.name}, "mdb-export");
            if (r.status != 0 || r.out.count('\n') < t.rows.size() + 1) return QString();  // a header and each row
        }
        return Run({"-1", path}, "mdb-tables").out == names ? path : QString();
    }
    QTemporaryDir dir;
};

QTEST_GUILESS_MAIN(tst_transfer)
#include "tst_transfer.moc"
