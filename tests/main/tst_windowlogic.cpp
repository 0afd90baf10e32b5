// The widget-free rules of the library window: box texts and twips round trips.
#include <QLocale>
#include <QStandardPaths>
#include <QtTest>

#include "main/boxtext.h"
#include "main/twipsgeometry.h"
#include "testsupport.h"

using namespace snippary;

class tst_windowlogic : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { testsupport::UseTestEnvironment(); }

    void twipsAxis_data() {
        QTest::addColumn<int>("set");  // -1: never set
        QTest::addColumn<int>("px");
        QTest::addColumn<int>("twips");
        QTest::newRow("never set") << -1 << 100 << 1500;
        QTest::newRow("stored width round trip") << 7007 << platform::TwipsToPx(7007) << 7007;
        QTest::newRow("user resized since")
            << 7007 << platform::TwipsToPx(7007) + 1 << (platform::TwipsToPx(7007) + 1) * 15;
    }
    void twipsAxis() {
        QFETCH(int, set);
        QFETCH(int, px);
        QFETCH(int, twips);
        TwipsAxis axis;
        if (set >= 0) axis.Set(set);
        QCOMPARE(axis.Twips(px), twips);
    }
};

QTEST_GUILESS_MAIN(tst_windowlogic)
#include "tst_windowlogic.moc"
