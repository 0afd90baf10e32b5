// The colouring: the defined examples exactly and golden files of real-looking code,
// each through the one-scan form and the replace-all definition (fuzz_colorline
// compares the two on random text).
#include <QtTest>

#include "export/colorline.h"
#include "export/colorline_detail.h"

using exporting::ColorLine;
using exporting::detail::ColorLineReference;

namespace {
const QString K = "<span class=\"keyword\">";
const QString C = "<span class=\"comment\">";
const QString Z = "</span>";
QString Lines(const QStringList& lines) {
    QString s;
    for (const QString& l : lines) s += l + "\r\n";
    return s;
}
}  // namespace

class tst_colorline : public QObject {
    Q_OBJECT
private slots:
    void examples_data();
    void examples();
    void golden_data();
    void golden();
};

void tst_colorline::examples_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("procedure") << "\r\nPrivate Sub Form_Load()\r\n    Dim s As String ' a comment\r\nEnd Sub"
                               << Lines({"", K + "Private Sub" + Z + " Form_Load()",
                                         "    " + K + "Dim" + Z + " s " + K + "As String" + Z + " " + C +
                                             "' a comment" + Z,
                                         K + "End" + Z + " Sub"});
    QTest::newRow("comments join") << "\r\n' first\r\n' second\r\n  ' third\r\nx = 1"
                                   << Lines({"", C + "' first", "' second" + Z, "  " + C + "' third" + Z, "x = 1"});
    QTest::newRow("apostrophe in string")
        << "\r\n    s = \"it's\" ' note: If x Then" << Lines({"", "    s = \"it's\" " + C + "' note: If x Then" + Z});
    QTest::newRow("arguments") << "\r\nx = CStr(y)\r\nz = myLong, k\r\nIf a < b Then Exit Sub"
                               << Lines({"", "x = CStr(y)", "z = my" + K + "Long" + Z + ", k",
                                         K + "If" + Z + " a < b " + K + "Then Exit" + Z + " Sub"});
    QTest::newRow("not not") << "\r\nx = Not Not y" << Lines({"", "x = " + K + "Not" + Z + " Not y"});
    QTest::newRow("loop") << "\r\nLoop\r\n    Loop\r\n" << Lines({"", "Loop", "    " + K + "Loop" + Z, ""});
    QTest::newRow("tab") << "\r\n\tDim x As Long" << Lines({"", "\tDim x " + K + "As" + Z + " Long"});
    QTest::newRow("lower case") << "\r\nend sub\r\n" << Lines({"", "end sub", ""});
    QTest::newRow("option") << "\r\nOption Explicit\r\nOption Private Module\r\n"
                            << Lines({"", "Option Explicit", "Option " + K + "Private" + Z + " Module", ""});
    QTest::newRow("property") << "\r\nPublic Property Get Name() As String\r\n"
                              << Lines({"", K + "Public Property Get" + Z + " Name() " + K + "As String" + Z, ""});
    QTest::newRow("call") << "\r\nCall Foo(ByVal a, CLng(b))"
                          << Lines({"", K + "Call" + Z + " Foo(" + K + "ByVal" + Z + " a, CLng(b))"});
    QTest::newRow("keyword in string") << "\r\nx = \"a If b\"" << Lines({"", "x = \"a " + K + "If" + Z + " b\""});
    QTest::newRow("don't") << "\r\ns = \"don't\"" << Lines({"", "s = \"don't\""});
    QTest::newRow("lone LF") << "\r\nx = 1 ' a\ny = 2\n' b" << Lines({"", "x = 1 " + C + "' a\ny = 2\n' b" + Z});
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("CR LF alone") << "\r\n"
                                 << "\r\n\r\n";
}

void tst_colorline::examples() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ColorLineReference(text), expected);
    QCOMPARE(ColorLine(text), expected);
}

// Real-looking code: tests/export/golden/<case>.in gives <case>.out.
// SNIPPARY_REGENERATE_GOLDEN=1 rewrites the .out files from the definition.
void tst_colorline::golden_data() {
    QTest::addColumn<QString>("base");
    const QDir dir(QStringLiteral(SNIPPARY_TEST_DATA) + "/golden");
    const QStringList inputs = dir.entryList({"*.in"}, QDir::Files, QDir::Name);
    QVERIFY(!inputs.isEmpty());
    for (const QString& in : inputs) QTest::newRow(qPrintable(in)) << dir.filePath(in.chopped(3));
}

void tst_colorline::golden() {
    QFETCH(QString, base);
    QFile in(base + ".in");
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QString text = "\r\n" + QString::fromUtf8(in.readAll());
    const QString expected = ColorLineReference(text);
    QFile out(base + ".out");
    if (qEnvironmentVariableIntValue("SNIPPARY_REGENERATE_GOLDEN") == 1) {
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(expected.toUtf8());
        return;
    }
    QVERIFY2(out.open(QIODevice::ReadOnly), "run once with SNIPPARY_REGENERATE_GOLDEN=1 and review the .out file");
    const QString golden = QString::fromUtf8(out.readAll());
    QCOMPARE(expected, golden);
    QCOMPARE(ColorLine(text), golden);
}

QTEST_GUILESS_MAIN(tst_colorline)
#include "tst_colorline.moc"
