// The INI file against real files: reading with private-profile rules, writing
// that keeps everything it does not change, and the number reading.
#include <QtTest>

#include "settings/inifile.h"
#include "testsupport.h"

using settings::IniFile;
using Number = std::optional<qint32>;

// A file's bytes written short: | is a line end (CR LF).
QByteArray Ini(const char* text) { return QByteArray(text).replace('|', "\r\n"); }

class tst_inifile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString File() const { return dir.filePath(QStringLiteral("Snippary.ini")); }

private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }
    void cleanup() { QFile::remove(File()); }

    void value_data() {
        QTest::addColumn<QString>("place");  // section/key
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");  // <absent>: no such key
        QTest::newRow("case ignored") << "SNIPPARY/db" << Ini("[Snippary]|DB=x|") << "x";
        QTest::newRow("blanks trimmed") << "S/Font" << Ini("  [ S ]  |  Font =  Courier New  |") << "Courier New";
        QTest::newRow("empty value is present") << "S/DB" << Ini("[S]|DB=|") << "";
        QTest::newRow("key of another section") << "S/DB" << Ini("[O]|DB=x|[S]|T=1|") << "<absent>";
        QTest::newRow("key before any section") << "S/DB" << Ini("DB=x|[S]|") << "<absent>";
        QTest::newRow("first of two wins") << "S/Tab" << Ini("[S]|Tab=1|Tab=2|") << "1";
        QTest::newRow("LF line ends") << "S/DB" << QByteArray("[S]\nDB=a\nTab=1\n") << "a";
        QTest::newRow("equals sign inside value") << "S/DB" << Ini("[S]|DB=a=b|") << "a=b";
        QTest::newRow("UTF-8 with mark") << "S/F" << Ini("\xEF\xBB\xBF[S]|F=Caf\xC3\xA9|") << "Caf\xC3\xA9";
        QTest::newRow("code page file") << "S/F" << Ini("[S]|F=Caf\xE9 \x80|") << "Caf\xC3\xA9 \xE2\x82\xAC";
        const QByteArray line = Ini("[S]|DB=");
        QTest::newRow("255 characters kept")
            << "S/DB" << line + QByteArray(254, 'x') + "yz" << QString(254, u'x') + u'y';
        // 254 letters and one character outside the basic plane: 256 code units.
        QTest::newRow("cut never splits a character")
            << "S/DB" << line + QByteArray(254, 'a') + "\xF0\x9F\x98\x80" << QString(254, u'a');
    }
    void value() {
        QFETCH(QByteArray, file);
        QFETCH(QString, place);
        QFETCH(QString, expected);
        QVERIFY(testsupport::WriteAll(File(), file));
        const std::optional<QString> v = IniFile(File()).Value(place.section(u'/', 0, 0), place.section(u'/', 1));
        QCOMPARE(v.value_or("<absent>"), expected);
    }

    void setValue_data() {
        QTest::addColumn<QString>("set");        // section/key=value
        QTest::addColumn<QByteArray>("before");  // null: no file
        QTest::addColumn<QByteArray>("after");
        const QByteArray none;
        QTest::newRow("new file, no mark added")
            << "Snippary/DB=/\xC3\xA9.db" << none << Ini("[Snippary]|DB=/\xC3\xA9.db|");
        QTest::newRow("replaced, the rest byte-exact, key keeps its spelling")
            << "S/DB=new" << Ini("; mine|[O]|x = 1||[s]|  db = old|Tab=1|")
            << Ini("; mine|[O]|x = 1||[s]|  db =new|Tab=1|");
        QTest::newRow("new key last in its section, before the blank line")
            << "S/Tab=0" << Ini("[S]|DB=a||[O]|y=2|") << Ini("[S]|DB=a|Tab=0||[O]|y=2|");
        QTest::newRow("new key into an empty section") << "S/Tab=0" << Ini("[S]|[O]|") << Ini("[S]|Tab=0|[O]|");
        QTest::newRow("new section at the end") << "S/Tab=0" << Ini("[O]|y=2|") << Ini("[O]|y=2||[S]|Tab=0|");
        QTest::newRow("byte-order mark kept")
            << "O/y=\xC3\xA9" << Ini("\xEF\xBB\xBF[O]|y=2|") << Ini("\xEF\xBB\xBF[O]|y=\xC3\xA9|");
        QTest::newRow("code page file stays in its code page")
            << "S/k=\xE2\x82\xAC" << Ini("; Caf\xE9|[S]|k=\x93q\x94|") << Ini("; Caf\xE9|[S]|k=\x80|");
        QTest::newRow("code page file becomes UTF-8 when it must")
            << "S/k=\xE2\x86\x92" << Ini("; Caf\xE9|[S]|") << Ini("; Caf\xC3\xA9|[S]|k=\xE2\x86\x92|");
        QTest::newRow("line break cannot add a key")
            << "S/DB=a\r\nLoadStartup=1" << Ini("[S]|") << Ini("[S]|DB=a  LoadStartup=1|");
        QTest::newRow("text ends at NUL")
            << QStringLiteral("S/DB=ab") + QChar(0) + "cd" << Ini("[S]|") << Ini("[S]|DB=ab|");
    }
    void setValue() {
        QFETCH(QByteArray, before);
        QFETCH(QString, set);
        QFETCH(QByteArray, after);
        if (!before.isNull()) QVERIFY(testsupport::WriteAll(File(), before));
        IniFile ini(File());
        const qsizetype slash = set.indexOf(u'/'), equals = set.indexOf(u'=');
        ini.SetValue(set.left(slash), set.mid(slash + 1, equals - slash - 1), set.mid(equals + 1));
        QVERIFY(ini.Save());
        QCOMPARE(testsupport::ReadAll(File()), after);
    }

    void readNumber_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("allowSigned");
        QTest::addColumn<Number>("expected");  // none: does not convert
        QTest::newRow("empty") << "" << false << Number(0);
        QTest::newRow("leading zeros") << "000000000000000000042" << false << Number(42);
        QTest::newRow("half down to even") << "2.5" << false << Number(2);
        QTest::newRow("half up to even, signed") << "-3.5" << true << Number(-4);
        QTest::newRow("long tail over half") << "2.50001" << false << Number(3);
        QTest::newRow("point alone") << "12." << false << Number(12);
        QTest::newRow("fraction alone over half") << ".6" << false << Number(1);
        QTest::newRow("largest") << "2147483647" << false << Number(2147483647);
        QTest::newRow("too large") << "2147483648" << false << Number();
        QTest::newRow("rounds beyond range") << "2147483647.5" << false << Number();
        QTest::newRow("NUL ends the text") << QStringLiteral("12") + QChar(0) + "junk" << false << Number(12);
        QTest::newRow("minus refused unsigned") << "-100" << false << Number();
        QTest::newRow("smallest") << "-2147483648" << true << Number(-2147483647 - 1);
        QTest::newRow("below smallest") << "-2147483649" << true << Number();
        QTest::newRow("minus alone") << "-" << true << Number();
        QTest::newRow("plus") << "+5" << true << Number();
        QTest::newRow("blank before") << " 5" << false << Number();
        QTest::newRow("two points") << "1.2.3" << false << Number();
        QTest::newRow("other digits") << "\xD9\xA3" << false << Number();
    }
    void readNumber() {
        QFETCH(QString, stored);
        QFETCH(bool, allowSigned);
        QFETCH(Number, expected);
        QCOMPARE(settings::ReadNumber(stored, allowSigned), expected);
    }
};

QTEST_GUILESS_MAIN(tst_inifile)
#include "tst_inifile.moc"
