// The exported page on a real library: exact lines, escaping, failures that
// leave nothing behind.
#include <QtTest>

#include "export/colorline.h"
#include "export/htmlwriter.h"
#include "testlibrary.h"
#include "store/statements.h"
#include "store/store.h"
#include "testsupport.h"

using exporting::ExportOptions;
using exporting::WriteHtmlPage;

namespace {

QString Head(const QString& font, int size) {
    return QStringList({"<HTML>", "<HEAD>",
                        "<META NAME=\"GENERATOR\" Content=\"VB Snippary Add-In, https://home.example/\">",
                        "<style type=\"text/css\"><!--",
                        "body,a,li {  font-family: \"" + font + "\"; font-size: " + QString::number(size) + "pt}",
                        "pre {  font-family: \"Courier New\", Courier; font-size: 10pt}",
                        ".keyword {  font-family: \"Courier New\", Courier; font-size: 10pt; color: #000099}",
                        ".comment { font-family: \"Courier New\", Courier; font-size: 10pt; color: #009900 }",
                        "--></style></HEAD>", "<BODY>", "<a name='top'></a>"})
               .join("\r\n") +
           "\r\n";
}

}  // namespace

class tst_htmlwriter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pages_data();
    void pages();
    void escaped();
    void bodyRule_data();
    void bodyRule();
    void failuresLeaveNothing_data();
    void failuresLeaveNothing();
    void cancelled();

private:
    testsupport::TempLibrary lib;
    QTemporaryDir& dir = lib.dir;
    store::Connection& con = lib.con;
    ExportOptions Options(bool numbered, bool colors) const;
};

void tst_htmlwriter::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    con.Execute(store::stmt::InsertCode(1, "C", "", "1/3/2002", "", "Dim c As Long"));
    con.Execute(store::stmt::InsertCode(1, "A", "", "1/1/2002", "", "Sub A()\r\nEnd Sub"));
    con.Execute(store::stmt::InsertCode(2, "B", "", "1/2/2002", "", ""));
    con.Execute("INSERT INTO Code (TypeID,Name) VALUES(2,'Null content')");
}

ExportOptions tst_htmlwriter::Options(bool numbered, bool colors) const {
    ExportOptions o;
    o.numbered = numbered;
    o.colors = colors;
    o.fontName = "Arial";
    o.fontSize = 10;
    o.homePage = "https://home.example/";
    return o;
}

void tst_htmlwriter::pages_data() {
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("colors");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QStringList>("body");
    const QString colouredA = "<pre>" + exporting::ColorLine("\r\nSub A()\r\nEnd Sub") + "</pre>";
    QTest::newRow("simple, plain, by name") << false << false << " ORDER BY Name"
                                            << QStringList{"<ul>",
                                                           "<li><a href='#1'>A</a><br>",
                                                           "<li><a href='#2'>B</a><br>",
                                                           "<li><a href='#3'>C</a><br>",
                                                           "</ul><ul>",
                                                           "<hr><li><a name='1'></a><a href='#top'>A</a>",
                                                           "<pre>Sub A()\r\nEnd Sub</pre>",
                                                           "<hr><li><a name='2'></a><a href='#top'>B</a>",
                                                           "<pre></pre>",
                                                           "<hr><li><a name='3'></a><a href='#top'>C</a>",
                                                           "<pre>Dim c As Long</pre>",
                                                           "</ul>"};
    QTest::newRow("numbered, coloured, by date")
        << true << true << " ORDER BY DateAdded"
        << QStringList{"<ol>",
                       "<li><a href='#1'>A</a><br>",
                       "<li><a href='#2'>B</a><br>",
                       "<li><a href='#3'>C</a><br>",
                       "</ol><ol>",
                       "<hr><li><a name='1'></a><a href='#top'>A</a>",
                       colouredA,
                       "<hr><li><a name='2'></a><a href='#top'>B</a>",
                       "<pre>\r\n\r\n</pre>",
                       "<hr><li><a name='3'></a><a href='#top'>C</a>",
                       "<pre>\r\n<span class=\"keyword\">Dim</span> c <span class=\"keyword\">As</span> Long\r\n</pre>",
                       "</ol>"};
    QTest::newRow("no rows") << true << false << " AND (DateAdded>='1/1/2030')"
                             << QStringList{"<ol>", "</ol><ol>", "</ol>"};
}

void tst_htmlwriter::pages() {
    QFETCH(bool, numbered);
    QFETCH(bool, colors);
    QFETCH(QString, order);
    QFETCH(QStringList, body);
    const QString page = dir.filePath("page.htm");
    WriteHtmlPage(con,
                  store::stmt::SelectDisplay(store::BuildWhere({1, 2}) + order, "", "")
                      .replace("Types.TypeID=2)", "Types.TypeID=2) AND Name<>'Null content'"),
                  Options(numbered, colors), page);
    const QByteArray expected =
        "\xEF\xBB\xBF" + (Head("Arial", 10) + body.join("\r\n") + "\r\n</BODY>\r\n</HTML>\r\n").toUtf8();
    QCOMPARE(testsupport::ReadAll(page), expected);
}

// Names and code cannot put markup into the page; every character survives.
void tst_htmlwriter::escaped() {
    const QString name = QString::fromUtf8("<script>alert('x')</script> & é €");
    const QString code = QString::fromUtf8("If a<b Then ' Кириллица & \"<b>\"\r\n</pre><script>");
    con.Execute(store::stmt::InsertCode(5, name, "", "1/1/2002", "", code));
    const QString page = dir.filePath("escaped.htm");
    for (bool colors : {false, true}) {
        WriteHtmlPage(con, store::ExportQuery(store::BuildWhere({5}), "", ""), Options(false, colors), page);
        const QString text = QString::fromUtf8(testsupport::ReadAll(page));
        QVERIFY(!text.contains("<script>"));
        QVERIFY(!text.contains("<b>"));
        QVERIFY(text.contains(QString::fromUtf8("&lt;script&gt;alert('x')&lt;/script&gt; &amp; é €</a>")));
        QVERIFY(text.contains(QString::fromUtf8("Кириллица &amp; \"&lt;b&gt;\"")));
        QCOMPARE(text.count("</pre>"), 1);
    }
    con.Execute(store::stmt::DeleteCodeOfType(5));
}

// The names and links take the content font where one is chosen, else the font of
// the page's code; nothing of a name can leave its quotes or the style block.
void tst_htmlwriter::bodyRule_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("points");
    QTest::newRow("chosen") << "Arial" << 10 << "Arial" << 10;
    QTest::newRow("none chosen") << "" << 0 << "Courier New" << 10;
    QTest::newRow("name only") << "Arial" << 0 << "Arial" << 10;
    QTest::newRow("size only") << "" << 14 << "Courier New" << 14;
    QTest::newRow("blank name, negative size") << "   " << -3 << "Courier New" << 10;
    QTest::newRow("closing the style") << "\"}</style><script>alert(1)</script>" << 9 << "/stylescriptalert(1)/script"
                                       << 9;
    QTest::newRow("line ends, escapes") << "Fira\r\nCode\\\"; 'x'{" << 11 << "FiraCode x" << 11;
}

void tst_htmlwriter::bodyRule() {
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QString, family);
    QFETCH(int, points);
    ExportOptions o = Options(false, false);
    o.fontName = name;
    o.fontSize = size;
    const QString page = dir.filePath("font.htm");
    WriteHtmlPage(con, store::ExportQuery("", "", ""), o, page);
    const QString text = QString::fromUtf8(testsupport::ReadAll(page));
    QVERIFY(text.contains("<style type=\"text/css\"><!--\r\nbody,a,li {  font-family: \"" + family +
                          "\"; font-size: " + QString::number(points) + "pt}\r\npre {"));
    QCOMPARE(text.count("</style>"), 1);
    QVERIFY(!text.contains("<script"));
}

void tst_htmlwriter::failuresLeaveNothing_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("number");
    QTest::newRow("folder as file") << "." << store::ExportQuery("", "", "") << 75;
    QTest::newRow("query fails") << "existing.htm"
                                 << "SELECT * FROM qDisplay  AND ( Instr(Name,'x')>0)" << 3075;
    QTest::newRow("bad date") << "existing.htm" << store::ExportQuery("", " AND (DateAdded>='soon')", "") << 3464;
}

void tst_htmlwriter::failuresLeaveNothing() {
    QFETCH(QString, target);
    QFETCH(QString, statement);
    QFETCH(int, number);
    const QString path = target == "." ? dir.path() : dir.filePath(target);
    QVERIFY(testsupport::WriteAll(dir.filePath("existing.htm"), "the user's own page"));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    try {
        WriteHtmlPage(con, statement, Options(false, true), path);
        QFAIL("no error");
    } catch (const store::StoreError& e) {
        QCOMPARE(int(e.Number()), number);
    }
    QCOMPARE(testsupport::ReadAll(dir.filePath("existing.htm")), QByteArray("the user's own page"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
}

void tst_htmlwriter::cancelled() {
    const QString page = dir.filePath("existing.htm");
    QVERIFY(testsupport::WriteAll(page, "kept"));
    bool asked = false;
    try {
        WriteHtmlPage(con, store::ExportQuery("", "", ""), Options(true, true), page, [&](qint64) {
            asked = true;
            return false;
        });
        QFAIL("not cancelled");
    } catch (const store::StoreError&) {
    }
    QVERIFY(asked);
    QCOMPARE(testsupport::ReadAll(page), QByteArray("kept"));
}

QTEST_GUILESS_MAIN(tst_htmlwriter)
#include "tst_htmlwriter.moc"
