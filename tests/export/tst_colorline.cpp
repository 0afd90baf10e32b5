// The colouring: the defined examples exactly and golden files of real-looking code,
// each through the one-scan form and the replace-all definition (fuzz_colorline
// compares the two on random text).
#include <QtTest>

#include "export/colorline.h"
#include "export/colorline_detail.h"
#include "testsupport.h"

using exporting::ColorLine;
using exporting::detail::ColorLineReference;

namespace {
// Written short: | is a line end (CR LF), {...} a keyword span and [...] a comment span.
QString Long(QString s) {
    return s.replace("|", "\r\n")
        .replace("{", "<span class=\"keyword\">")
        .replace("[", "<span class=\"comment\">")
        .replace("}", "</span>")
        .replace("]", "</span>");
}
}  // namespace

class tst_colorline : public QObject {
    Q_OBJECT
private slots:
    void examples_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("procedure")
            << "|Private Sub Form_Load()|    Dim s As String ' a comment|End Sub"
            << Long("|{Private Sub} Form_Load()|    {Dim} s {As String} [' a comment]|{End} Sub|");
        QTest::newRow("comments join") << "|' first|' second|  ' third|x = 1"
                                       << Long("|[' first|' second]|  [' third]|x = 1|");
        QTest::newRow("apostrophe in string")
            << "|    s = \"it's\" ' note: If x Then" << Long("|    s = \"it's\" [' note: If x Then]|");
        QTest::newRow("arguments") << "|x = CStr(y)|z = myLong, k|If a < b Then Exit Sub"
                                   << Long("|x = CStr(y)|z = my{Long}, k|{If} a < b {Then Exit} Sub|");
        QTest::newRow("not not") << "|x = Not Not y" << Long("|x = {Not} Not y|");
        QTest::newRow("loop") << "|Loop|    Loop|" << Long("|Loop|    {Loop}||");
        QTest::newRow("option") << "|Option Explicit|Option Private Module|"
                                << Long("|Option Explicit|Option {Private} Module||");
        QTest::newRow("keyword in string") << "|x = \"a If b\"" << Long("|x = \"a {If} b\"|");
        QTest::newRow("empty") << "" << Long("");
        QTest::newRow("CR LF alone") << "|" << Long("||");
    }
    void examples() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        text.replace("|", "\r\n");
        QCOMPARE(ColorLineReference(text), expected);
        QCOMPARE(ColorLine(text), expected);
    }

    // Real-looking code: tests/export/golden/<case>.in gives <case>.out.
    void golden_data() {
        QTest::addColumn<QString>("base");
        const QDir dir(QStringLiteral(SNIPPARY_TEST_DATA) + "/golden");
        const QStringList inputs = dir.entryList({"*.in"}, QDir::Files, QDir::Name);
        QVERIFY(!inputs.isEmpty());
        for (const QString& in : inputs) QTest::newRow(qPrintable(in)) << dir.filePath(in.chopped(3));
    }
    void golden() {
        QFETCH(QString, base);
        const QString text = "\r\n" + QString::fromUtf8(testsupport::ReadAll(base + ".in"));
        const QString golden = QString::fromUtf8(testsupport::ReadAll(base + ".out"));
        QCOMPARE(ColorLineReference(text), golden);
        QCOMPARE(ColorLine(text), golden);
    }
};

QTEST_GUILESS_MAIN(tst_colorline)
#include "tst_colorline.moc"
