// The per-user stand-in for the one registry value.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTest>

#include "settings/registry.h"
#include "testsupport.h"

using namespace settings;

class TestRegistry : public QObject {
    Q_OBJECT
    QString Store() const {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/snippary/registry.ini");
    }
    QString Key() const { return QString::fromLatin1(RegistryKey); }

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
    }
    void init() { QFile::remove(Store()); }

    void missingReadsEmpty() {
        QCOMPARE(RegReadString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Tab")), QString());
        RegWriteString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Other"), QStringLiteral("x"));
        QCOMPARE(RegReadString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Tab")), QString());
    }

    void writeThenRead_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("page") << "2";
        QTest::newRow("empty") << "";
        QTest::newRow("blanks and symbols") << " 1; = , \\ / [x] ";
        QTest::newRow("non-ASCII") << QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC");
    }
    void writeThenRead() {
        QFETCH(QString, text);
        RegWriteString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Tab"), QStringLiteral("1"));
        RegWriteString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Tab"), text);  // replaces the value
        QCOMPARE(RegReadString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Tab")), text);
    }

    void hivesAndKeysAreApart() {
        RegWriteString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Tab"), QStringLiteral("1"));
        QCOMPARE(RegReadString(HKEY_CURRENT_USER, Key(), QStringLiteral("Tab")), QString());
        QCOMPARE(RegReadString(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Orvane"), QStringLiteral("Tab")), QString());
    }

    void textEndsAtNul() {
        RegWriteString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Tab"), QStringLiteral("1") + QChar(0) + QStringLiteral("9"));
        QCOMPARE(RegReadString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Tab")), QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
