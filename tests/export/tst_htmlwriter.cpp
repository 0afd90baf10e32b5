// The exported page on a real library: exact lines, escaping, failures that
// leave nothing behind.
#include <QtTest>

#include "export/colorline.h"
#include "export/htmlwriter.h"
#include "testlibrary.h"
#include "store/statements.h"
#include "testsupport.h"

using exporting::ExportOptions;
using exporting::WriteHtmlPage;

namespace {

// The whole page: the head, the contents in a list of `tag`, then each snippet's title and code.
QByteArray Page(const QString& tag, const QStringList& names, const QStringList& code) {
    QStringList lines({"<HTML>", "<HEAD>",
                       "<META NAME=\"GENERATOR\" Content=\"VB Snippary Add-In, https://home.example/\">",
                       "<style type=\"text/css\"><!--", "body,a,li {  font-family: \"Arial\"; font-size: 10pt}",
                       "pre {  font-family: \"Courier New\", Courier; font-size: 10pt}",
                       ".keyword {  font-family: \"Courier New\", Courier; font-size: 10pt; color: #000099}",
                       ".comment { font-family: \"Courier New\", Courier; font-size: 10pt; color: #009900 }",
                       "--></style></HEAD>", "<BODY>", "<a name='top'></a>", "<" + tag + ">"});
    for (int i = 0; i < names.size(); ++i) lines << QString("<li><a href='#%1'>%2</a><br>").arg(i + 1).arg(names[i]);
    lines << "</" + tag + "><" + tag + ">";
    for (int i = 0; i < names.size(); ++i)
        lines << QString("<hr><li><a name='%1'></a><a href='#top'>%2</a>").arg(i + 1).arg(names[i]) << code[i];
    lines += QStringList({"</" + tag + ">", "</BODY>", "</HTML>", ""});
    return "\xEF\xBB\xBF" + lines.join("\r\n").toUtf8();
}

}  // namespace

class tst_htmlwriter : public QObject {
    Q_OBJECT
    testsupport::TempLibrary lib;
    QTemporaryDir& dir = lib.dir;
    store::Connection& con = lib.con;

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        con.Execute(store::stmt::InsertCode(1, "C", "", "1/3/2002", "", "Dim c As Long"));
        con.Execute(store::stmt::InsertCode(1, "A", "", "1/1/2002", "", "Sub A()\r\nEnd Sub"));
        con.Execute(store::stmt::InsertCode(2, "B", "", "1/2/2002", "", ""));
        con.Execute("INSERT INTO Code (TypeID,Name) VALUES(2,'Null content')");
        con.Execute(store::stmt::InsertCode(5, QString::fromUtf8("<script>alert('x')</script> & é €"), "", "1/1/2002",
                                            "",
                                            QString::fromUtf8("If a<b Then ' Кириллица & \"<b>\"\r\n</pre><script>")));
    }

    // Names and code cannot put markup into the page; every character survives.
    void pages_data() {
        QTest::addColumn<bool>("numbered");
        QTest::addColumn<bool>("colors");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QByteArray>("expected");
        const QString ab = store::BuildWhere({1, 2}) + " AND Name<>'Null content'";
        const QString dim = "<span class=\"keyword\">Dim</span> c <span class=\"keyword\">As</span> Long";
        const QString name = QString::fromUtf8("&lt;script&gt;alert('x')&lt;/script&gt; &amp; é €");
        const QString code =
            QString::fromUtf8("If a&lt;b Then ' Кириллица &amp; \"&lt;b&gt;\"\r\n&lt;/pre&gt;&lt;script&gt;");
        QTest::newRow("simple, plain, by name")
            << false << false << ab + " ORDER BY Name"
            << Page("ul", {"A", "B", "C"},
                    {"<pre>Sub A()\r\nEnd Sub</pre>", "<pre></pre>", "<pre>Dim c As Long</pre>"});
        QTest::newRow("numbered, coloured, by date")
            << true << true << ab + " ORDER BY DateAdded"
            << Page("ol", {"A", "B", "C"},
                    {"<pre>" + exporting::ColorLine("\r\nSub A()\r\nEnd Sub") + "</pre>", "<pre>\r\n\r\n</pre>",
                     "<pre>\r\n" + dim + "\r\n</pre>"});
        QTest::newRow("no rows") << true << false << ab + " AND (DateAdded>='1/1/2030')" << Page("ol", {}, {});
        QTest::newRow("markup") << false << false << store::BuildWhere({5})
                                << Page("ul", {name}, {"<pre>" + code + "</pre>"});
    }
    void pages() {
        QFETCH(bool, numbered);
        QFETCH(bool, colors);
        QFETCH(QString, where);
        QFETCH(QByteArray, expected);
        const QString page = dir.filePath("page.htm");
        WriteHtmlPage(con, store::stmt::SelectDisplay(where, "", ""),
                      {numbered, colors, "Arial", 10, "https://home.example/"}, page);
        QCOMPARE(testsupport::ReadAll(page), expected);
    }

    // The names and links take the content font where one is chosen, else the font of
    // the page's code; nothing of a name can leave its quotes or the style block.
    void bodyRule_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("points");
        QTest::newRow("none chosen") << "" << 0 << "Courier New" << 10;
        QTest::newRow("size only") << "" << 14 << "Courier New" << 14;
        QTest::newRow("blank name, negative size") << "   " << -3 << "Courier New" << 10;
        QTest::newRow("closing the style")
            << "\"}</style><script>alert(1)</script>" << 9 << "/stylescriptalert(1)/script" << 9;
        QTest::newRow("line ends, escapes") << "Fira\r\nCode\\\"; 'x'{" << 11 << "FiraCode x" << 11;
    }
    void bodyRule() {
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(QString, family);
        QFETCH(int, points);
        const ExportOptions o{false, false, name, size, "https://home.example/"};
        const QString page = dir.filePath("font.htm");
        WriteHtmlPage(con, store::ExportQuery("", "", ""), o, page);
        const QString text = QString::fromUtf8(testsupport::ReadAll(page));
        QVERIFY(text.contains("<style type=\"text/css\"><!--\r\nbody,a,li {  font-family: \"" + family +
                              "\"; font-size: " + QString::number(points) + "pt}\r\npre {"));
        QCOMPARE(text.count("</style>"), 1);
        QVERIFY(!text.contains("<script"));
    }

    // A failing query or the user's cancel leaves the folder as it was.
    void failuresLeaveNothing_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("statement");
        QTest::newRow("query fails") << 3075 << "SELECT * FROM qDisplay  AND ( Instr(Name,'x')>0)";
        QTest::newRow("cancelled") << 3059 << store::ExportQuery("", "", "");
    }
    void failuresLeaveNothing() {
        QFETCH(QString, statement);
        QFETCH(int, number);
        const QString path = dir.filePath("existing.htm");
        QVERIFY(testsupport::WriteAll(path, "the user's own page"));
        const auto entries = [&] { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden); };
        const QStringList before = entries();
        try {
            WriteHtmlPage(con, statement, {false, true, "Arial", 10, "https://home.example/"}, path,
                          [&](qint64) { return number != 3059; });
            QFAIL("no error");
        } catch (const store::StoreError& e) {
            QCOMPARE(int(e.Number()), number);
        }
        QCOMPARE(testsupport::ReadAll(path), QByteArray("the user's own page"));
        QCOMPARE(entries(), before);
    }
};

QTEST_GUILESS_MAIN(tst_htmlwriter)
#include "tst_htmlwriter.moc"
