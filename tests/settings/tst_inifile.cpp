// The INI file against real files: reading with private-profile rules, writing
// that keeps everything it does not change, and the number reading.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "settings/inifile.h"
#include "testsupport.h"

using testsupport::ReadAll;
using testsupport::WriteAll;

using settings::IniFile;

class tst_inifile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString File(const QString& name = QStringLiteral("Snippary.ini")) const { return dir.filePath(name); }

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        QVERIFY(dir.isValid());
    }
    void cleanup() {
        QDir d(dir.path());
        for (const QString& f : d.entryList(QDir::Files | QDir::Hidden | QDir::System)) d.remove(f);
    }

    void value_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("expected");
        const QByteArray basic = "[Snippary]\r\nDB=/home/ann/lib.db\r\nTab=2\r\n";
        QTest::newRow("plain") << basic << "Snippary"
                               << "DB" << true << "/home/ann/lib.db";
        QTest::newRow("key case ignored") << basic << "Snippary"
                                          << "db" << true << "/home/ann/lib.db";
        QTest::newRow("section case ignored") << basic << "SNIPPARY"
                                              << "TAB" << true << "2";
        QTest::newRow("absent key") << basic << "Snippary"
                                    << "Top" << false << "";
        QTest::newRow("absent section") << basic << "Other"
                                        << "DB" << false << "";
        QTest::newRow("blanks trimmed") << QByteArray("  [ Snippary ]  \r\n  FontName =  Courier New  \r\n")
                                        << "Snippary"
                                        << "FontName" << true << "Courier New";
        QTest::newRow("empty value is present") << QByteArray("[Snippary]\r\nDB=\r\n") << "Snippary"
                                                << "DB" << true << "";
        QTest::newRow("key of another section")
            << QByteArray("[Other]\r\nDB=x\r\n[Snippary]\r\nTab=1\r\n") << "Snippary"
            << "DB" << false << "";
        QTest::newRow("key before any section") << QByteArray("DB=x\r\n[Snippary]\r\n") << "Snippary"
                                                << "DB" << false << "";
        QTest::newRow("comment is no key") << QByteArray("[Snippary]\r\n;DB=old\r\n# DB=older\r\n") << "Snippary"
                                           << "DB" << false << "";
        QTest::newRow("first of two wins") << QByteArray("[Snippary]\r\nTab=1\r\nTab=2\r\n") << "Snippary"
                                           << "Tab" << true << "1";
        QTest::newRow("LF line ends") << QByteArray("[Snippary]\nDB=a\nTab=1\n") << "Snippary"
                                      << "DB" << true << "a";
        QTest::newRow("no final line end") << QByteArray("[Snippary]\r\nTab=1") << "Snippary"
                                           << "Tab" << true << "1";
        QTest::newRow("equals sign inside value") << QByteArray("[Snippary]\r\nDB=a=b\r\n") << "Snippary"
                                                  << "DB" << true << "a=b";
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF[Snippary]\r\nFontName=Caf\xC3\xA9\r\n")
                                         << "Snippary"
                                         << "FontName" << true << QString::fromUtf8("Caf\xC3\xA9");
        QTest::newRow("code page file") << QByteArray("[Snippary]\r\nFontName=Caf\xE9 \x80\r\n") << "Snippary"
                                        << "FontName" << true << QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC");
        QTest::newRow("300 characters cut to 255")
            << (QByteArray("[Snippary]\r\nDB=") + QByteArray(300, 'x') + "\r\n") << "Snippary"
            << "DB" << true << QString(255, u'x');
        QTest::newRow("255 characters kept")
            << (QByteArray("[Snippary]\r\nDB=") + QByteArray(254, 'x') + "yz\r\n") << "Snippary"
            << "DB" << true << (QString(254, u'x') + u'y');
    }
    void value() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(bool, present);
        QFETCH(QString, expected);
        QVERIFY(WriteAll(File(), file));
        const std::optional<QString> v = IniFile(File()).Value(section, key);
        QCOMPARE(v.has_value(), present);
        if (present) QCOMPARE(*v, expected);
    }

    void cutNeverSplitsACharacter() {
        // 254 letters and one character outside the basic plane: 256 code units.
        const QByteArray line = QByteArray("[S]\r\nK=") + QByteArray(254, 'a') + "\xF0\x9F\x98\x80\r\n";
        QVERIFY(WriteAll(File(), line));
        const QString v = IniFile(File()).Value(QStringLiteral("S"), QStringLiteral("K")).value_or(QString());
        QCOMPARE(v, QString(254, u'a'));
    }

    void setValue_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << "Snippary"
                                  << "DB"
                                  << "/a.db" << QByteArray("[Snippary]\r\nDB=/a.db\r\n");
        QTest::newRow("replaced, the rest byte-exact")
            << QByteArray("; my settings\r\n[Other]\r\nx = 1\r\n\r\n[Snippary]\r\nDB=old\r\nTab=1\r\n") << "Snippary"
            << "DB"
            << "new" << QByteArray("; my settings\r\n[Other]\r\nx = 1\r\n\r\n[Snippary]\r\nDB=new\r\nTab=1\r\n");
        QTest::newRow("key keeps its spelling") << QByteArray("[snippary]\r\n  db = old\r\n") << "Snippary"
                                                << "DB"
                                                << "new" << QByteArray("[snippary]\r\n  db =new\r\n");
        QTest::newRow("new key at the end of its section, before the blank line")
            << QByteArray("[Snippary]\r\nDB=a\r\n\r\n[Other]\r\ny=2\r\n") << "Snippary"
            << "Tab"
            << "0" << QByteArray("[Snippary]\r\nDB=a\r\nTab=0\r\n\r\n[Other]\r\ny=2\r\n");
        QTest::newRow("new key into an empty section") << QByteArray("[Snippary]\r\n[Other]\r\n") << "Snippary"
                                                       << "Tab"
                                                       << "0" << QByteArray("[Snippary]\r\nTab=0\r\n[Other]\r\n");
        QTest::newRow("new section at the end") << QByteArray("[Other]\r\ny=2\r\n") << "Snippary"
                                                << "Tab"
                                                << "0" << QByteArray("[Other]\r\ny=2\r\n\r\n[Snippary]\r\nTab=0\r\n");
        QTest::newRow("LF file written with CR LF") << QByteArray("[Other]\ny=2\n") << "Other"
                                                    << "y"
                                                    << "3" << QByteArray("[Other]\r\ny=3\r\n");
        QTest::newRow("final line end added") << QByteArray("[Other]\r\ny=2") << "Other"
                                              << "z"
                                              << "3" << QByteArray("[Other]\r\ny=2\r\nz=3\r\n");
        QTest::newRow("byte-order mark kept")
            << QByteArray("\xEF\xBB\xBF[Other]\r\ny=2\r\n") << "Other"
            << "y" << QString::fromUtf8("\xC3\xA9") << QByteArray("\xEF\xBB\xBF[Other]\r\ny=\xC3\xA9\r\n");
        QTest::newRow("no mark added") << QByteArray() << "S"
                                       << "k" << QString::fromUtf8("\xC3\xA9") << QByteArray("[S]\r\nk=\xC3\xA9\r\n");
        QTest::newRow("code page file stays in its code page")
            << QByteArray("; Caf\xE9\r\n[S]\r\nk=\x93q\x94\r\n") << "S"
            << "k" << QString::fromUtf8("\xE2\x82\xAC") << QByteArray("; Caf\xE9\r\n[S]\r\nk=\x80\r\n");
        QTest::newRow("code page file becomes UTF-8 when it must")
            << QByteArray("; Caf\xE9\r\n[S]\r\n") << "S"
            << "k" << QString::fromUtf8("\xE2\x86\x92") << QByteArray("; Caf\xC3\xA9\r\n[S]\r\nk=\xE2\x86\x92\r\n");
        QTest::newRow("line break cannot add a key")
            << QByteArray("[S]\r\n") << "S"
            << "DB"
            << "a\r\nLoadStartup=1" << QByteArray("[S]\r\nDB=a  LoadStartup=1\r\n");
        QTest::newRow("text ends at NUL")
            << QByteArray("[S]\r\n") << "S"
            << "DB" << QStringLiteral("ab") + QChar(0) + QStringLiteral("cd") << QByteArray("[S]\r\nDB=ab\r\n");
    }
    void setValue() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isNull()) QVERIFY(WriteAll(File(), before));
        IniFile ini(File());
        ini.SetValue(section, key, value);
        QString error;
        QVERIFY2(ini.Save(&error), qPrintable(error));
        QCOMPARE(ReadAll(File()), after);
    }

    void readNumber_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("allowSigned");
        QTest::addColumn<bool>("converts");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty") << "" << false << true << 0;
        QTest::newRow("leading zeros") << "000000000000000000042" << false << true << 42;
        QTest::newRow("half down to even") << "2.5" << false << true << 2;
        QTest::newRow("half up to even") << "3.5" << false << true << 4;
        QTest::newRow("more than half") << "2.51" << false << true << 3;
        QTest::newRow("long tail over half") << "2.50001" << false << true << 3;
        QTest::newRow("less than half") << "2.49999" << false << true << 2;
        QTest::newRow("point alone") << "12." << false << true << 12;
        QTest::newRow("fraction alone over half") << ".6" << false << true << 1;
        QTest::newRow("largest") << "2147483647" << false << true << 2147483647;
        QTest::newRow("too large") << "2147483648" << false << false << 0;
        QTest::newRow("rounds beyond range") << "2147483647.5" << false << false << 0;
        QTest::newRow("rounds to largest even") << "2147483646.5" << false << true << 2147483646;
        QTest::newRow("NUL ends the text")
            << QStringLiteral("12") + QChar(0) + QStringLiteral("junk") << false << true << 12;
        QTest::newRow("minus refused unsigned") << "-100" << false << false << 0;
        QTest::newRow("minus signed") << "-100" << true << true << -100;
        QTest::newRow("minus half to even") << "-2.5" << true << true << -2;
        QTest::newRow("smallest") << "-2147483648" << true << true << int(-2147483647 - 1);
        QTest::newRow("below smallest") << "-2147483649" << true << false << 0;
        QTest::newRow("minus alone") << "-" << true << false << 0;
        QTest::newRow("plus") << "+5" << true << false << 0;
        QTest::newRow("blank before") << " 5" << false << false << 0;
        QTest::newRow("exponent") << "1e3" << false << false << 0;
        QTest::newRow("hex") << "&H10" << false << false << 0;
        QTest::newRow("comma") << "1,5" << false << false << 0;
        QTest::newRow("two points") << "1.2.3" << false << false << 0;
        QTest::newRow("other digits") << QString::fromUtf8("\xD9\xA3") << false << false << 0;
    }
    void readNumber() {
        QFETCH(QString, stored);
        QFETCH(bool, allowSigned);
        QFETCH(bool, converts);
        QFETCH(int, expected);
        const std::optional<qint32> n = settings::ReadNumber(stored, allowSigned);
        QCOMPARE(n.has_value(), converts);
        if (converts) QCOMPARE(*n, expected);
    }
};

QTEST_GUILESS_MAIN(tst_inifile)
#include "tst_inifile.moc"
