// The eleven settings read at start-up and written at shut-down, and the per-user
// stand-in for the one registry value.
#include <QtTest>

#include "settings/registry.h"
#include "settings/snipparysettings.h"
#include "testsupport.h"

using namespace settings;
using Number = std::optional<qint32>;

class tst_snipparysettings : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString File() const { return dir.filePath(QStringLiteral("Snippary.ini")); }

private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }
    void cleanup() { QFile::remove(File()); }

    // Every number key holding the same text; only Top and Left may be negative (a
    // window left of or above the primary screen).
    void read_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<Number>("unsignedValue");
        QTest::addColumn<Number>("position");  // Top and Left
        QTest::newRow("half to even") << QByteArray("1500.5") << Number(1500) << Number(1500);
        QTest::newRow("negative") << QByteArray("-1500") << Number() << Number(-1500);
    }
    void read() {
        QFETCH(QByteArray, stored);
        QFETCH(Number, unsignedValue);
        QFETCH(Number, position);
        QByteArray file = "[Snippary]\r\nDB=/home/ann/lib.db\r\nFontName=Courier New\r\n";
        for (const char* key :
             {"Tab", "FontSize", "LoadStartup", "NoChange", "LoadList", "Width", "Height", "Top", "Left"})
            file += key + ("=" + stored) + "\r\n";
        QVERIFY(testsupport::WriteAll(File(), file));
        const SnipparySettings s = ReadSettings(File());
        QCOMPARE(QStringList({s.db, s.fontName}), QStringList({"/home/ann/lib.db", "Courier New"}));
        QCOMPARE(QList<Number>({s.tab, s.fontSize, s.loadStartup, s.noChange, s.loadList, s.width, s.height}),
                 QList<Number>(7, unsignedValue));
        QCOMPARE(QList<Number>({s.top, s.left}), QList<Number>(2, position));
    }

    // Written in their order into a new section after what the file held; twips as single-precision texts.
    void write_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("new file") << QByteArray();
        QTest::newRow("other sections kept") << QByteArray("; kept\r\n[Add-Ins32]\r\nVBSnippary.Connect=0\r\n\r\n");
    }
    void write() {
        QFETCH(QByteArray, before);
        if (!before.isEmpty()) QVERIFY(testsupport::WriteAll(File(), before));
        // Top is not a number; Width goes beyond single precision.
        const SettingsToWrite w{
            "/home/ann/Snippets.db", 2, "DejaVu Sans Mono", 8, 1, 0, 1, std::nan(""), -1500, 5300.0001, 1234.5};
        QVERIFY(WriteSettings(File(), w));
        QCOMPARE(testsupport::ReadAll(File()), before +
                                                   "[Snippary]\r\nDB=/home/ann/Snippets.db\r\nTab=2\r\n"
                                                   "FontName=DejaVu Sans Mono\r\nFontSize=8\r\nLoadStartup=1\r\n"
                                                   "NoChange=0\r\nLoadList=1\r\nTop=0\r\nLeft=-1500\r\n"
                                                   "Width=5300\r\nHeight=1234.5\r\n");
    }

    // Nothing stored reads empty; a write replaces the value and no other, and any text comes back as written.
    void registry() {
        const QString key = QString::fromLatin1(RegistryKey);
        const auto read = [&](const char* name) { return RegReadString(HKEY_LOCAL_MACHINE, key, name); };
        QCOMPARE(read("Tab"), QString());
        RegWriteString(HKEY_LOCAL_MACHINE, key, "Other", "x");
        for (const char* text : {" 1 = 2;\r\n", ""}) {
            RegWriteString(HKEY_LOCAL_MACHINE, key, "Tab", text);
            QCOMPARE(read("Tab"), QString::fromLatin1(text));
        }
        QCOMPARE(read("Other"), QStringLiteral("x"));
    }
};

QTEST_GUILESS_MAIN(tst_snipparysettings)
#include "tst_snipparysettings.moc"
