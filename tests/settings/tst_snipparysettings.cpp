// The eleven settings read at start-up and written at shut-down.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "settings/snipparysettings.h"
#include "testsupport.h"

using testsupport::ReadAll;
using testsupport::WriteAll;

using settings::ReadSettings;
using settings::SettingsToWrite;
using settings::SingleText;
using settings::SnipparySettings;
using settings::WriteSettings;

namespace {

using Number = std::optional<qint32>;

}  // namespace

class tst_snipparysettings : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString File() const { return dir.filePath(QStringLiteral("Snippary.ini")); }

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        QVERIFY(dir.isValid());
    }
    void cleanup() { QFile::remove(File()); }

    void option_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<Number>("expected");
        QTest::newRow("off") << QByteArray("0") << Number(0);
        QTest::newRow("word") << QByteArray("yes") << Number();
        QTest::newRow("negative") << QByteArray("-1") << Number();
    }
    void option() {
        QFETCH(QByteArray, stored);
        QFETCH(Number, expected);
        QVERIFY(WriteAll(File(), "[Snippary]\r\nLoadList=" + stored + "\r\nNoChange=" + stored + "\r\nLoadStartup=" +
                                     stored + "\r\nTab=" + stored + "\r\nFontSize=" + stored + "\r\n"));
        const SnipparySettings s = ReadSettings(File());
        QCOMPARE(s.loadList, expected);
        QCOMPARE(s.noChange, expected);
        QCOMPARE(s.loadStartup, expected);
        QCOMPARE(s.tab, expected);
        QCOMPARE(s.fontSize, expected);
    }

    void placement_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<Number>("position");  // Top and Left
        QTest::addColumn<Number>("size");      // Width and Height
        QTest::newRow("half to even") << QByteArray("1500.5") << Number(1500) << Number(1500);
        QTest::newRow("left of the primary screen") << QByteArray("-1500") << Number(-1500) << Number();
        QTest::newRow("not a number") << QByteArray("wide") << Number() << Number();
    }
    void placement() {
        QFETCH(QByteArray, stored);
        QFETCH(Number, position);
        QFETCH(Number, size);
        QVERIFY(WriteAll(File(), "[Snippary]\r\nTop=" + stored + "\r\nLeft=" + stored + "\r\nWidth=" + stored +
                                     "\r\nHeight=" + stored + "\r\n"));
        const SnipparySettings s = ReadSettings(File());
        QCOMPARE(s.top, position);
        QCOMPARE(s.left, position);
        QCOMPARE(s.width, size);
        QCOMPARE(s.height, size);
    }

    void writeCreatesFileInOrder() {
        SettingsToWrite w;
        w.db = QStringLiteral("/home/ann/Snippets.db");
        w.tab = 2;
        w.fontName = QStringLiteral("DejaVu Sans Mono");
        w.fontSize = 8;
        w.loadStartup = 1;
        w.noChange = 0;
        w.loadList = 1;
        w.top = 1200;
        w.left = -1500;
        w.width = 9870.5;
        w.height = 7620;
        QVERIFY(WriteSettings(File(), w));
        QCOMPARE(ReadAll(File()), QByteArray("[Snippary]\r\nDB=/home/ann/Snippets.db\r\nTab=2\r\n"
                                             "FontName=DejaVu Sans Mono\r\nFontSize=8\r\nLoadStartup=1\r\n"
                                             "NoChange=0\r\nLoadList=1\r\nTop=1200\r\nLeft=-1500\r\n"
                                             "Width=9870.5\r\nHeight=7620\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Snippary.ini")});
    }

    void writeKeepsTheRestOfTheFile() {
        const QByteArray before =
            "; kept\r\n[Add-Ins32]\r\nVBSnippary.Connect=0\r\n\r\n[snippary]\r\nheight=1\r\n"
            "Extra=keep me\r\ndb=old\r\n";
        QVERIFY(WriteAll(File(), before));
        SettingsToWrite w;
        w.db = QStringLiteral("new");
        w.width = 5300;
        w.height = 6100;
        QVERIFY(WriteSettings(File(), w));
        QCOMPARE(ReadAll(File()), QByteArray("; kept\r\n[Add-Ins32]\r\nVBSnippary.Connect=0\r\n\r\n[snippary]\r\n"
                                             "height=6100\r\nExtra=keep me\r\ndb=new\r\nTab=0\r\nFontName=\r\n"
                                             "FontSize=0\r\nLoadStartup=0\r\nNoChange=0\r\nLoadList=0\r\nTop=0\r\n"
                                             "Left=0\r\nWidth=5300\r\n"));
    }

    void singleText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("whole") << 5300.0 << "5300";
        QTest::newRow("negative") << -1500.0 << "-1500";
        QTest::newRow("fraction") << 1234.5 << "1234.5";
        QTest::newRow("single precision") << 5300.0001 << "5300";
        QTest::newRow("not a number") << std::nan("") << "0";
    }
    void singleText() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(SingleText(value), expected);
    }
};

QTEST_GUILESS_MAIN(tst_snipparysettings)
#include "tst_snipparysettings.moc"
