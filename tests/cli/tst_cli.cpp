// The command line's verbs run in-process on real libraries.
#include <QtTest>

#include "cli/cli.h"
#include "cli/runner.h"
#include "cli/usage.h"
#include "export/colorline.h"
#include "export/htmlwriter.h"
#include "store/connectionstring.h"
#include "store/statements.h"
#include "store/store.h"

namespace {

struct Result {
    int status;
    QString out, err;
};

Result Run(const QStringList& args, const QByteArray& input = QByteArray()) {
    cli::Io io;
    io.readStdin = [input] { return input; };
    const int status = cli::RunVerb(args, io);
    return {status, QString::fromUtf8(io.out), QString::fromUtf8(io.err)};
}

}  // namespace

class tst_cli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void verbs();
    void newLibrary();
    void listing_data();
    void listing();
    void json();
    void add_data();
    void add();
    void exportPage();
    void colorize_data();
    void colorize();
    void errors_data();
    void errors();
    void password();

private:
    QTemporaryDir dir;
    QString lib;
};

void tst_cli::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    qunsetenv("SNIPPARY_PASSWORD");
    lib = dir.filePath("lib.snip");
    QCOMPARE(Run({"new", lib}).status, 0);
    QFile f(dir.filePath("a.bas"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Attribute VB_Name = \"A\"\r\nSub A()\r\nEnd Sub\r\n");
    f.close();
    QCOMPARE(Run({"add", lib, "--category", "Modules", "--name", "A.bas", "--description", "tab\there",
                  "--content-file", f.fileName()})
                 .out,
             QString("1\n"));
    QCOMPARE(Run({"add", lib, "--category", "functions", "--name", "beta", "--source", "it's mine", "--content-stdin"},
                 "Function Beta()\nEnd Function")
                 .out,
             QString("2\n"));
}

void tst_cli::verbs() {
    // --help, the manual page and the parser must agree on every verb and option.
    const QString help = Run({"--help"}).out;
    const QString man = cli::ManPage();
    for (const cli::VerbDoc& v : cli::Verbs()) {
        QVERIFY2(cli::IsVerb(v.name.toUtf8().constData()), qPrintable(v.name));
        QVERIFY2(help.contains("snippary " + v.name), qPrintable(v.name));
        QVERIFY2(man.contains(".SS snippary " + v.name), qPrintable(v.name));
        for (const cli::OptionDoc& o : v.options) {
            QVERIFY2(help.contains(o.name), qPrintable(v.name + ' ' + o.name));
            QVERIFY2(man.contains("\\fB" + QString(o.name).replace("-", "\\-")), qPrintable(v.name + ' ' + o.name));
            QStringList args = {v.name, o.name};
            if (!o.argument.isEmpty()) args << "x";
            QVERIFY2(!Run(args).err.contains("unknown option"), qPrintable(v.name + ' ' + o.name));
        }
        const Result bogus = Run({v.name, "--bogus"});
        QCOMPARE(bogus.status, 1);
        QVERIFY(bogus.err.startsWith("snippary: unknown option --bogus\nusage:"));
    }
    for (const char* v : {"lib.snip", "", "--nvim", "New"}) QVERIFY(!cli::IsVerb(v));
    QCOMPARE(Run({"--version"}).out, QString("snippary " SNIPPARY_VERSION "\n"));

    // The program itself: --help and --version print and leave; an unknown option never opens a window.
    struct Case { QString arg; int status; QString out, err; };
    for (const Case& c : {Case{"--version", 0, "snippary " SNIPPARY_VERSION "\n", ""}, Case{"--help", 0, help, ""},
                          Case{"--no-such-option", 1, "", "snippary: unknown option --no-such-option\n" + help}}) {
        QProcess p;
        p.start(SNIPPARY_EXE, {c.arg});
        QVERIFY2(p.waitForFinished(20000), qPrintable(c.arg));
        QCOMPARE(p.exitCode(), c.status);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), c.out);
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()), c.err);
    }
}

void tst_cli::newLibrary() {
    const QString sample = dir.filePath("sample.snip");
    QCOMPARE(Run({"new", sample, "--sample"}).status, 0);
    QCOMPARE(Run({"categories", sample}).out,
             QString("1\tModules\n2\tClasses\n3\tAPI Declarations\n4\tFunctions\n5\tSnippets\n"));
    QVERIFY(Run({"list", sample}).out.count(u'\n') >= 15);
    const Result again = Run({"new", sample});
    QCOMPARE(again.status, 2);
    QVERIFY(again.err.contains("already exists"));
}

void tst_cli::listing_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("all") << QStringList{} << QStringList{"A.bas", "beta"};
    QTest::newRow("category") << QStringList{"--category", "FUNCTIONS"} << QStringList{"beta"};
    QTest::newRow("find ignores case") << QStringList{"--find", "FUNCTION"} << QStringList{"beta"};
    QTest::newRow("find with apostrophe") << QStringList{"--find", "it's"} << QStringList{"beta"};
    QTest::newRow("in name only") << QStringList{"--find", "Sub", "--in", "name"} << QStringList{};
    QTest::newRow("in content") << QStringList{"--find", "Sub", "--in", "content"} << QStringList{"A.bas"};
    QTest::newRow("sorted") << QStringList{"--sort", "name"} << QStringList{"A.bas", "beta"};
    QTest::newRow("to yesterday") << QStringList{"--to", "1/1/2002"} << QStringList{};
}

void tst_cli::listing() {
    QFETCH(QStringList, options);
    QFETCH(QStringList, names);
    const Result r = Run(QStringList{"list", lib} + options);
    QCOMPARE(r.status, 0);
    QStringList got;
    for (const QString& line : r.out.split(u'\n', Qt::SkipEmptyParts)) got << line.section(u'\t', 0, 0);
    got.sort(Qt::CaseInsensitive);
    QCOMPARE(got, names);
}

void tst_cli::json() {
    const Result r = Run({"list", lib, "--format", "json", "--category", "Modules"});
    const QJsonArray rows = QJsonDocument::fromJson(r.out.toUtf8()).array();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0]["ID"].toInt(), 1);
    QCOMPARE(rows[0]["Type"].toString(), QString("Modules"));
    QCOMPARE(rows[0]["Description"].toString(), QString("tab\there"));
    QVERIFY(!rows[0]["DateAdded"].toString().isEmpty());
    // The tab inside a value is escaped in tsv.
    const Result tsv = Run({"list", lib, "--category", "Modules", "--header"});
    QVERIFY(tsv.out.startsWith("Name\tType\tDescription\tDate added\tSource of code\nA.bas\tModules\ttab\\there\t"));
}

void tst_cli::add_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    const QString content = "--content-stdin";
    QTest::newRow("name too long") << QStringList{"--category", "Modules", "--name", QString(51, u'n'), content} << 2;
    QTest::newRow("description too long")
        << QStringList{"--category", "Modules", "--name", "n", "--description", QString(31, u'd'), content} << 2;
    QTest::newRow("source too long")
        << QStringList{"--category", "Modules", "--name", "n", "--source", QString(51, u's'), content} << 2;
    QTest::newRow("longest accepted")
        << QStringList{"--category", "Modules", "--name", QString(50, u'n'), "--description", QString(30, u'd'), content} << 0;
    QTest::newRow("unknown category") << QStringList{"--category", "Nope", "--name", "n", content} << 2;
    QTest::newRow("no content source") << QStringList{"--category", "Modules", "--name", "n"} << 1;
    QTest::newRow("missing file") << QStringList{"--category", "Modules", "--name", "n", "--content-file", "/no/such.bas"} << 2;
}

void tst_cli::add() {
    QFETCH(QStringList, options);
    QFETCH(int, status);
    const QString copy = dir.filePath("add.snip");
    QFile::remove(copy);
    QVERIFY(QFile::copy(lib, copy));
    const Result r = Run(QStringList{"add", copy} + options, "x");
    QCOMPARE(r.status, status);
    const Result listed = Run({"list", copy});
    QCOMPARE(listed.out.count(u'\n'), status == 0 ? 3 : 2);  // nothing added on failure
    if (status == 0) QCOMPARE(r.out, QString("3\n"));
}

void tst_cli::exportPage() {
    const QString out = dir.filePath("page.htm");
    QCOMPARE(Run({"export", lib, out, "--numbered", "--colors", "--font", "Arial", "--size", "12", "--sort", "name"}).status, 0);
    const QString mine = dir.filePath("mine.htm");
    store::ConnectionString cs;
    cs.dataSource = lib;
    store::Connection con;
    con.Open(cs.Build());
    exporting::ExportOptions o;
    o.numbered = o.colors = true;
    o.fontName = "Arial";
    o.fontSize = 12;
    o.homePage = QStringLiteral(SNIPPARY_HOME_PAGE);
    exporting::WriteHtmlPage(con, store::ExportQuery("", "", " ORDER BY Name"), o, mine);
    QFile a(out), b(mine);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), b.readAll());
}

// The fragment is as safe as the page: markup in the code stays text unless asked for raw.
void tst_cli::colorize_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");
    const QString k = "<span class=\"keyword\">", c = "<span class=\"comment\">", z = "</span>";
    QTest::newRow("escaped") << QStringList{"colorize"}
                             << "\r\n" + k + "If" + z + " a&lt;b " + k + "Then" + z + " x = \"&lt;&amp;&gt;\" " + c +
                                    "' it's &lt;b&gt;y&lt;/b&gt;" + z + "\r\n";
    QTest::newRow("raw") << QStringList{"colorize", "--raw"}
                         << "\r\n" + k + "If" + z + " a<b " + k + "Then" + z + " x = \"<&>\" " + c + "' it's <b>y</b>" + z + "\r\n";
}

void tst_cli::colorize() {
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    QCOMPARE(Run(args, "\r\nIf a<b Then x = \"<&>\" ' it's <b>y</b>").out, out);
}

void tst_cli::errors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"list", "x", "--nope"} << 1 << "unknown option --nope";
    QTest::newRow("missing value") << QStringList{"list", "x", "--find"} << 1 << "--find needs a value";
    QTest::newRow("missing library") << QStringList{"list", "/no/such.snip"} << 2 << "3024 # Could not find file";
    QTest::newRow("bad date") << QStringList{"list", "LIB", "--from", "yesterday"} << 2 << "--from is not a date";
    QTest::newRow("bad sort") << QStringList{"list", "LIB", "--sort", "size"} << 1 << "--sort takes";
    QTest::newRow("unknown category") << QStringList{"list", "LIB", "--category", "x"} << 2 << "no category named x";
    QTest::newRow("export over the library") << QStringList{"export", "LIB", "LIB"} << 2 << "LIB is a snippet library";
    QTest::newRow("font out of its quotes") << QStringList{"export", "LIB", "/no/such/p.htm", "--font", "\"}</style><script>"} << 1
                                            << "--font cannot hold";
    QTest::newRow("export to no folder") << QStringList{"export", "LIB", "/no/such/dir/p.htm"} << 2 << "76 # Path not found";
}

void tst_cli::errors() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    args.replaceInStrings("LIB", lib);
    message.replace("LIB", lib);
    const Result r = Run(args);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
}

void tst_cli::password() {
    const QString secret = dir.filePath("secret.snip");
    qputenv("SNIPPARY_PASSWORD", "s3cret");
    QCOMPARE(Run({"new", secret, "--password"}).status, 0);
    QCOMPARE(Run({"categories", secret}).status, 0);
    qputenv("SNIPPARY_PASSWORD", "wrong");
    const Result wrong = Run({"categories", secret});
    QCOMPARE(wrong.status, 2);
    QVERIFY(wrong.err.contains("3031 # Not a valid password."));
    qunsetenv("SNIPPARY_PASSWORD");
    QCOMPARE(Run({"categories", secret}).status, 2);
    QCOMPARE(Run({"new", dir.filePath("nopw.snip"), "--password"}).status, 2);  // no terminal, no variable
    QVERIFY(!QFile::exists(dir.filePath("nopw.snip")));
}

QTEST_GUILESS_MAIN(tst_cli)
#include "tst_cli.moc"
