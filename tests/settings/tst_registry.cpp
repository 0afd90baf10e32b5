// The per-user stand-in for the one registry value.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTest>

#include "settings/registry.h"
#include "testsupport.h"

using namespace settings;

class tst_registry : public QObject {
    Q_OBJECT
    QString Store() const {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/snippary/registry.ini");
    }
    QString Key() const { return QString::fromLatin1(RegistryKey); }

private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }
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
    }
    void writeThenRead() {
        QFETCH(QString, text);
        RegWriteString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Tab"), QStringLiteral("1"));
        RegWriteString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Tab"), text);  // replaces the value
        QCOMPARE(RegReadString(HKEY_LOCAL_MACHINE, Key(), QStringLiteral("Tab")), text);
    }
};

QTEST_GUILESS_MAIN(tst_registry)
#include "tst_registry.moc"
