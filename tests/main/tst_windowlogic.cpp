// The widget-free rules of the library window: box texts and twips round trips.
#include <QLocale>
#include <QStandardPaths>
#include <QtTest>

#include "main/boxtext.h"
#include "main/twipsgeometry.h"
#include "testsupport.h"

using namespace snippary;

class TestWindowLogic : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        testsupport::UseTestEnvironment();
    }

    void toStoreText_data() {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("crlf kept single") << "a\r\nb" << "a\r\nb";
        QTest::newRow("lone cr") << "a\rb" << "a\r\nb";
        QTest::newRow("paragraph separator") << QString("a") + QChar::ParagraphSeparator + "b" << "a\r\nb";
        QTest::newRow("blank lines") << "\n\n" << "\r\n\r\n";
    }
    void toStoreText() {
        QFETCH(QString, plain);
        QFETCH(QString, stored);
        QCOMPARE(ToStoreText(plain), stored);
    }

    void boxContent_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("edited");  // empty: the box is left as filled
        QTest::addColumn<QString>("expected");
        QTest::newRow("unedited crlf") << "a\r\nb" << QString() << "a\r\nb";
        QTest::newRow("unedited lone lf kept") << "a\nb\r\nc" << QString() << "a\nb\r\nc";
        QTest::newRow("unedited lone cr kept") << "a\rb" << QString() << "a\rb";
        QTest::newRow("edited goes to crlf") << "a\nb" << "a\nb\nc" << "a\r\nb\r\nc";
    }
    void boxContent() {
        QFETCH(QString, stored);
        QFETCH(QString, edited);
        QFETCH(QString, expected);
        BoxContent box;
        box.Set(stored);
        QVERIFY(!box.boxPlain.contains(u'\r'));
        QCOMPARE(box.StoreText(edited.isEmpty() ? box.boxPlain : edited), expected);
    }

    void twipsAxis_data() {
        QTest::addColumn<int>("set");  // -1: never set
        QTest::addColumn<int>("px");
        QTest::addColumn<int>("twips");
        QTest::newRow("never set") << -1 << 100 << 1500;
        QTest::newRow("stored width round trip") << 7007 << platform::TwipsToPx(7007) << 7007;
        QTest::newRow("user resized since") << 7007 << platform::TwipsToPx(7007) + 1 << (platform::TwipsToPx(7007) + 1) * 15;
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

QTEST_GUILESS_MAIN(TestWindowLogic)
#include "tst_windowlogic.moc"
