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

Result Run(const QStringList& args, const QString& program = QStringLiteral(SNIPPARY_EXE)) {
    QProcess p;
    p.start(program, args);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QJsonObject Dump(const QString& library) {
    const Result r = Run({"dump", library});
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

// The snippets of a dump without their ids, which a new library numbers anew.
QJsonArray Snippets(const QJsonObject& dump) {
    QJsonArray out;
    for (const QJsonValue& v : dump.value("snippets").toArray()) {
        QJsonObject o = v.toObject();
        o.remove("id");
        out.append(o);
    }
    return out;
}

QJsonObject Snippet(const QString& category, const QString& name, const QString& description, const QVariant& date,
                    const QString& source, const QString& content) {
    return {{"category", category},
            {"name", name},
            {"description", description},
            {"dateAdded", date.isNull() ? QJsonValue() : QJsonValue(date.toDateTime().toString(Qt::ISODate))},
            {"source", source},
            {"content", content}};
}

const QStringList kPermanent = {"Modules", "Classes", "API Declarations", "Functions", "Snippets"};

}  // namespace

class tst_transfer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void accessLibrary_data();
    void accessLibrary();
    void accessRefused_data();
    void accessRefused();
    void accessTable();
    void folder();
    void interrupted();
    void snippetFile_data();
    void snippetFile();
    void exportedSnippetFile();
    void dumpRoundTrip();
    void exportFiles();

private:
    QString NewLibrary(const QString& name) {
        const QString path = dir.filePath(name);
        QFile::remove(path);
        const Result r = Run({"new", path});
        return r.status == 0 ? path : QString();
    }
    // An Access file written by the test's writer, used only once mdbtools lists and exports it.
    QString AccessFile(const QString& name, jetfixture::Version v, const QList<jetfixture::Table>& tables,
                       int codePage = 1252) {
        const QString path = dir.filePath(name);
        if (!WriteAll(path, jetfixture::Write(v, tables, codePage))) return QString();
        QProcess tool;
        tool.start("mdb-tables", {"-1", path});
        tool.waitForFinished();
        QStringList names;
        for (const jetfixture::Table& t : tables) names << t.name;
        if (QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts) != names) return QString();
        for (const jetfixture::Table& t : tables) {
            tool.start("mdb-export", {path, t.name});
            tool.waitForFinished();
            // A header line and at least one line for each row.
            if (tool.exitCode() != 0 || tool.readAllStandardOutput().count('\n') < t.rows.size() + 1) return QString();
        }
        return path;
    }
    QTemporaryDir dir;
};

void tst_transfer::initTestCase() {
    std::signal(SIGPIPE, SIG_IGN);
    QVERIFY(dir.isValid());
}

void tst_transfer::accessLibrary_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("odd");  // a text outside ASCII the file can hold
    QTest::newRow("Jet 3, Windows-1252") << int(jetfixture::Version::Jet3) << 1252 << QString("Café € «Grüße»");
    QTest::newRow("Jet 3, Windows-1251") << int(jetfixture::Version::Jet3) << 1251 << QString("Привет, мир №1");
    QTest::newRow("Jet 4, Unicode") << int(jetfixture::Version::Jet4) << 1252 << QString("Ωμέγα 日本語 €");
}

// A library in the design's own schema comes in whole: categories in TypeID order
// (new ones after the library's own), each snippet byte-exact with its date.
void tst_transfer::accessLibrary() {
    QFETCH(int, version);
    QFETCH(int, codePage);
    QFETCH(QString, odd);
    QString memo;
    for (int i = 0; memo.size() < 100 * 1024; ++i)
        memo += QString("    Debug.Print \"line %1 %2\"\r\n").arg(i).arg(odd);
    const QDateTime when(QDate(2002, 1, 19), QTime(15, 4, 5));
    const QStringList categories = kPermanent + QStringList{"Bob's tools", odd.left(10)};
    const QList<QVariantList> rows = {
        {1, "modSort.bas", "Sorts 'em", when, "my notes", "Sub A()\r\nEnd Sub\r\n"},
        {7, odd.left(20), QVariant(), QVariant(), QVariant(), memo},
        {6, "O'Brien's", "", QDateTime(QDate(1999, 12, 31), QTime(0, 0)), odd.left(20), "x = 'quoted'\r\n"},
    };
    const QString mdb = AccessFile(QString("lib%1-%2.mdb").arg(version).arg(codePage), jetfixture::Version(version),
                                   jetfixture::LibraryTables(categories, rows), codePage);
    QVERIFY(!mdb.isEmpty());
    const QString lib = NewLibrary(QString("fromaccess%1-%2.snip").arg(version).arg(codePage));
    const Result r = Run({"import", lib, mdb});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QString("Added 3 snippets and 2 categories.\n"));
    const QJsonObject dump = Dump(lib);
    QCOMPARE(dump.value("categories").toArray().toVariantList(), QVariant(categories).toList());
    const QJsonArray expected = {
        Snippet("Modules", "modSort.bas", "Sorts 'em", when, "my notes", "Sub A()\r\nEnd Sub\r\n"),
        Snippet(odd.left(10), odd.left(20), "", QVariant(), "", memo),
        Snippet("Bob's tools", "O'Brien's", "", QDateTime(QDate(1999, 12, 31), QTime(0, 0)), odd.left(20),
                "x = 'quoted'\r\n"),
    };
    QCOMPARE(Snippets(dump), expected);
}

void tst_transfer::accessRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QByteArray whole = jetfixture::Write(
        jetfixture::Version::Jet4, jetfixture::LibraryTables(kPermanent, {{1, "a", "", QVariant(), "", "x\r\n"}}));
    QTest::newRow("not an Access file") << QByteArray("Sub A()\r\nEnd Sub\r\n") << "is not an Access file";
    QTest::newRow("truncated") << whole.left(whole.size() - 4096) << "is damaged";
    QTest::newRow("header only") << whole.left(4096) << "cannot be read";
    QTest::newRow("no library tables") << jetfixture::Write(jetfixture::Version::Jet3,
                                                            {{"Other", {{"A", jetfixture::Kind::Long}}, {{1}}}})
                                       << "holds no snippet library";
}

// A file that cannot be read as a library is refused with a clear message and nothing is added.
void tst_transfer::accessRefused() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString mdb = dir.filePath("refused.mdb");
    QVERIFY(WriteAll(mdb, bytes));
    const QString lib = NewLibrary("refused.snip");
    QVERIFY(WriteAll(dir.filePath("good.bas"), "Sub B()\r\n"));
    const Result r = Run({"import", lib, dir.filePath("good.bas"), mdb});
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains(message) && r.err.contains("nothing was added"), qPrintable(r.err));
    QCOMPARE(Dump(lib).value("snippets").toArray().size(), 0);
}

// Another table of an Access file, shown with --list-tables and taken with a mapping.
void tst_transfer::accessTable() {
    using jetfixture::Kind;
    const jetfixture::Table notes{
        "Notes",
        {{"Title", Kind::Text, 40}, {"Body", Kind::Memo}, {"Kind", Kind::Text, 20}, {"Made", Kind::Date}},
        {{"first", "a = 1\r\n", "Tricks", QDateTime(QDate(2010, 5, 6), QTime(7, 8, 9))},
         {"second", "b = 2\r\n", QVariant(), QVariant()},
         {QVariant(), "no title\r\n", "Tricks", QVariant()}}};
    const QString mdb = AccessFile("notes.mdb", jetfixture::Version::Jet3, {notes});
    QVERIFY(!mdb.isEmpty());
    const Result list = Run({"import", "--list-tables", mdb});
    QCOMPARE(list.out,
             QString("Notes\t3 rows\n\tTitle\tText(40)\n\tBody\tMemo\n\tKind\tText(20)\n\tMade\tDate/Time\n"));
    const QString lib = NewLibrary("mapped.snip");
    const Result r = Run({"import", lib, mdb, "--table", "Notes", "--name", "Title", "--content", "Body", "--date",
                          "Made", "--category-column", "Kind", "--category", "Loose"});
    QCOMPARE(r.out, QString("Added 2 snippets and 2 categories; skipped 1 (1 no name).\n"));
    const QJsonArray expected = {
        Snippet("Tricks", "first", "", QDateTime(QDate(2010, 5, 6), QTime(7, 8, 9)), "", "a = 1\r\n"),
        Snippet("Loose", "second", "", QVariant(), "", "b = 2\r\n"),
    };
    QCOMPARE(Snippets(Dump(lib)), expected);
}

// A tree of code files: each kind into its category, binary files and links out skipped and listed.
void tst_transfer::folder() {
    const QString tree = dir.filePath("tree");
    QDir().mkpath(tree + "/forms/deep");
    struct File {
        const char* path;
        QByteArray bytes;
    };
    for (const File& f :
         {File{"modA.bas", "Sub A()\nEnd Sub"}, File{"Class1.cls", "VERSION 1.0 CLASS\r\n"},
          File{"forms/Form1.frm", "Begin VB.Form Form1\r\n"}, File{"forms/Form1.frx", QByteArray("\x01\x00\x02", 3)},
          File{"forms/deep/notes.txt", "caf\xe9\r\n"}, File{"script.vbs", "MsgBox \"hi\"\r"}})
        QVERIFY(WriteAll(tree + "/" + f.path, f.bytes));
    QVERIFY(QFile::link(dir.filePath("good.bas"), tree + "/outside.bas"));
    QVERIFY(WriteAll(dir.filePath("good.bas"), "Sub B()\r\n"));
    const QString lib = NewLibrary("folder.snip");
    const Result r = Run({"import", lib, tree, "--category", "Forms"});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out,
             QString("Added 5 snippets and 1 category; skipped 2 (1 a binary file, 1 a link out of the folder).\n"));
    QVERIFY(r.err.contains("skipped forms/Form1.frx: a binary file\n") &&
            r.err.contains("skipped outside.bas: a link out of the folder\n"));
    QJsonArray got = Snippets(Dump(lib));
    QStringList seen;
    for (const QJsonValue& v : got) {
        const QJsonObject o = v.toObject();
        seen << QStringList{o["category"].toString(), o["name"].toString(), o["source"].toString(),
                            o["content"].toString()}
                    .join('|');
    }
    QCOMPARE(seen, (QStringList{"Classes|Class1.cls|Class1.cls|VERSION 1.0 CLASS\r\n",
                                "Forms|Form1.frm|forms/Form1.frm|Begin VB.Form Form1\r\n",
                                "Forms|notes.txt|forms/deep/notes.txt|café\r\n",
                                "Modules|modA.bas|modA.bas|Sub A()\nEnd Sub\r\n",
                                "Forms|script.vbs|script.vbs|MsgBox \"hi\"\r\n"}));
}

// Ctrl+C in the middle of a large import: the library is as it was.
void tst_transfer::interrupted() {
    const QString tree = dir.filePath("big");
    for (int i = 0; i < 10000; ++i) {
        if (i % 100 == 0) QDir().mkpath(QString("%1/d%2").arg(tree).arg(i / 100));
        QVERIFY(WriteAll(QString("%1/d%2/m%3.bas").arg(tree).arg(i / 100).arg(i), "Sub X()\r\nEnd Sub\r\n"));
    }
    const QString lib = NewLibrary("interrupted.snip");
    const QByteArray before = ReadAll(lib);
    QProcess p;
    p.start(SNIPPARY_EXE, {"import", lib, tree});
    p.setReadChannel(QProcess::StandardError);
    QVERIFY(p.waitForReadyRead(60000));
    ::kill(pid_t(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 130);
    QVERIFY(p.readAllStandardError().contains("interrupted; nothing was added"));
    QCOMPARE(Dump(lib).value("snippets").toArray().size(), 0);
    QCOMPARE(ReadAll(lib).size(), before.size());
}

void tst_transfer::snippetFile_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");         // empty: read
    QTest::addColumn<QStringList>("snippets");  // name|description|content
    QTest::newRow("body as lines, comments, trailing commas")
        << QByteArray(
               "// mine\n{\n  /* sorted */ \"Sort\": {\"prefix\": \"srt\", \"scope\": \"vb\",\n"
               "    \"body\": [\"Sub Sort(${1:a})\", \"  \\\\$x = \\\"q\\\" \\\\} $2\", \"End Sub\",],},\n}\n")
        << QString() << QStringList{"Sort|prefix: srt; scope: vb|Sub Sort(${1:a})\r\n  $x = \"q\" } $2\r\nEnd Sub\r\n"};
    QTest::newRow("body as a string, description kept, long prefix dropped")
        << QByteArray("{\"One\": {\"body\": \"a\\nb\\tc\\n\", \"description\": \"two lines\", \"prefix\": \"") +
               QByteArray(300, 'p') + "\"}}"
        << QString() << QStringList{"One|two lines|a\r\nb\tc\r\n"};
    QTest::newRow("malformed") << QByteArray("{\n  \"A\": {\"body\": \"x\"}\n  \"B\": {}\n}")
                               << QString("at line 3, column") << QStringList{};
}

void tst_transfer::snippetFile() {
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    QFETCH(QStringList, snippets);
    const QString file = dir.filePath("user.code-snippets");
    QVERIFY(WriteAll(file, json));
    const QString lib = NewLibrary("json.snip");
    const Result r = Run({"import", lib, file, "--category", "Editor"});
    QCOMPARE(r.status, error.isEmpty() ? 0 : 2);
    QVERIFY2(r.err.contains(error), qPrintable(r.err));
    QStringList got;
    for (const QJsonValue& v : Snippets(Dump(lib)))
        got << QStringList{v["name"].toString(), v["description"].toString(), v["content"].toString()}.join('|');
    QCOMPARE(got, snippets);
}

// Exported as an editor snippet file: strict JSON, snippet syntax escaped, and read back the same.
void tst_transfer::exportedSnippetFile() {
    const QString lib = NewLibrary("sample-json.snip");
    QFile::remove(lib);
    QCOMPARE(Run({"new", lib, "--sample"}).status, 0);
    QVERIFY(WriteAll(dir.filePath("tricky.bas"),
                     "s = \"${1:x}\" & \"$HOME\" & \"\\\\}\"\r\n\xEF\xBB\xBFName$ = Left$(a, 1)\r\n"));
    QCOMPARE(Run({"import", lib, dir.filePath("tricky.bas")}).status, 0);
    QCOMPARE(Run({"import", lib, dir.filePath("tricky.bas")}).status, 0);  // the same name twice
    const QString out = dir.filePath("all.code-snippets");
    QCOMPARE(Run({"export", lib, out}).status, 0);
    QJsonParseError e{};
    const QJsonObject file = QJsonDocument::fromJson(ReadAll(out), &e).object();
    QCOMPARE(e.error, QJsonParseError::NoError);
    QCOMPARE(file.value("tricky.bas (2)").toObject().value("body").toArray().first().toString(),
             QString("s = \"\\${1:x\\}\" & \"\\$HOME\" & \"\\\\\\\\\\}\""));
    const QString back = NewLibrary("back.snip");
    QCOMPARE(Run({"import", back, out}).status, 0);
    QMap<QString, QString> before, after;
    for (const QJsonValue& v : Snippets(Dump(lib))) before.insert(v["content"].toString(), v["description"].toString());
    for (const QJsonValue& v : Snippets(Dump(back))) after.insert(v["content"].toString(), v["description"].toString());
    QCOMPARE(after, before);
}

// A dump taken in again gives the same document apart from the ids, hostile texts included.
void tst_transfer::dumpRoundTrip() {
    const QString lib = dir.filePath("sample.snip");
    QFile::remove(lib);
    QCOMPARE(Run({"new", lib, "--sample"}).status, 0);
    const QString hostile = QString("O'Brien \"q\" \\ \t tab\rCR\nLF </script> ${1} é 日本 \U0001F600 '' ;--");
    QVERIFY(WriteAll(dir.filePath("hostile.txt"), hostile.toUtf8()));
    QCOMPARE(Run({"import", lib, dir.filePath("hostile.txt"), "--category", hostile}).status, 0);
    QCOMPARE(Run({"add", lib, "--category", hostile, "--name", hostile.left(50), "--description", hostile.left(30),
                  "--source", hostile.left(50), "--content-file", dir.filePath("hostile.txt")})
                 .status,
             0);
    const QString first = dir.filePath("first.json");
    QCOMPARE(Run({"dump", lib, first}).status, 0);
    const QString copy = NewLibrary("copy.snip");
    QCOMPARE(Run({"import", copy, first}).status, 0);
    const QByteArray a = ReadAll(first), b = Run({"dump", copy}).out.toUtf8();
    static const QRegularExpression id("\\n *\"id\": \\d+,");
    QCOMPARE(QString::fromUtf8(b).remove(id), QString::fromUtf8(a).remove(id));
}

// Each snippet as a file: DIR/<category>/<name>, module and class extensions added, names unique and safe.
void tst_transfer::exportFiles() {
    const QString lib = NewLibrary("files.snip");
    QVERIFY(WriteAll(dir.filePath("one.txt"), "x\r\n"));
    QCOMPARE(Run({"add", lib, "--category", "Modules", "--name", "modSort", "--content-file", dir.filePath("one.txt")})
                 .status,
             0);
    for (const char* name : {"a/b", "A/B", ".."})
        QCOMPARE(Run({"add", lib, "--category", "Snippets", "--name", name, "--content-file", dir.filePath("one.txt")})
                     .status,
                 0);
    const QString out = dir.filePath("exported");
    QCOMPARE(Run({"export", lib, out + "/", "--files"}).status, 0);
    QStringList files;
    QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(out).relativeFilePath(it.next());
    files.sort();
    QCOMPARE(files, (QStringList{"Modules/modSort.bas", "Snippets/A_B (2)", "Snippets/_..", "Snippets/a_b"}));
    QCOMPARE(ReadAll(out + "/Snippets/a_b"), QByteArray("x\r\n"));
    for (const QStringList& over : {QStringList{"export", lib, lib, "--files"}, QStringList{"dump", lib, lib}})
        QCOMPARE(Run(over).status, 2);  // never over a library
}

QTEST_GUILESS_MAIN(tst_transfer)
#include "tst_transfer.moc"
