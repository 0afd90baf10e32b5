// The Search page: its enabling rule, the date check and the condition Find builds.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include "main/ui/searchpage.h"
#include "testsupport.h"

using snippary::SearchPage;

namespace {
QLineEdit* Line(QWidget& page, const char* name) { return page.findChild<QLineEdit*>(name); }
QPushButton* Find(QWidget& page) { return page.findChild<QPushButton*>("cmdFind"); }
}  // namespace

class tst_searchpage : public QObject {
    Q_OBJECT
private:
    static void SetTicks(SearchPage& page, const QString& mask) {
        for (int i = 0; i < 4; ++i) {
            QCheckBox* box = page.findChild<QCheckBox*>(QStringLiteral("chkFind_%1").arg(i));
            if (box->isChecked() != (mask.at(i) == QLatin1Char('1')))
                box->click();  // a click, so the enabling rule runs as for the user
        }
    }

private Q_SLOTS:
    void initTestCase() { testsupport::UseOwnSettingsFolders(); }
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void enabling_data() {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("ticks");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("nothing") << ""
                                 << ""
                                 << ""
                                 << "1111" << false;
        QTest::newRow("text") << "Sub"
                              << ""
                              << ""
                              << "1111" << true;
        QTest::newRow("blank counts") << " "
                                      << ""
                                      << ""
                                      << "0001" << true;
        QTest::newRow("text, no column") << "Sub"
                                         << ""
                                         << ""
                                         << "0000" << false;
        QTest::newRow("from only") << ""
                                   << "1/1/2002"
                                   << ""
                                   << "0100" << true;
        QTest::newRow("to only") << ""
                                 << ""
                                 << "1/1/2002"
                                 << "0010" << true;
        QTest::newRow("dates, no column") << ""
                                          << "1/1/2002"
                                          << "2/1/2002"
                                          << "0000" << false;
    }
    void enabling() {
        QFETCH(QString, find);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, ticks);
        QFETCH(bool, enabled);
        SearchPage page;
        Line(page, "txtFind")->setText(find);
        Line(page, "txtFrom")->setText(from);
        Line(page, "txtTo")->setText(to);
        SetTicks(page, ticks);
        QCOMPARE(Find(page)->isEnabled(), enabled);
    }

    void buildFind_data() {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("ticks");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("sFind");
        QTest::newRow("example")
            << "it's"
            << "1001"
            << "1/1/2002"
            << ""
            << " AND ( Instr(Name,'it''s')>0 OR Instr(Content,'it''s')>0) AND (DateAdded>='1/1/2002')";
        QTest::newRow("description and source") << "x"
                                                << "0110"
                                                << ""
                                                << ""
                                                << " AND ( Instr(Description,'x')>0 OR Instr(Source,'x')>0)";
        // A date that never passed the check does not reach the condition.
        QTest::newRow("unchecked bad date") << ""
                                            << "1111"
                                            << "1/1/2002' OR 1=1 --"
                                            << ""
                                            << "";
    }
    void buildFind() {
        QFETCH(QString, find);
        QFETCH(QString, ticks);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, sFind);
        SearchPage page;
        Line(page, "txtFind")->setText(find);
        SetTicks(page, ticks);
        Line(page, "txtFrom")->setText(from);
        Line(page, "txtTo")->setText(to);
        QCOMPARE(page.BuildFind(), sFind);
    }

    // Typed into From and To as a user of the locale types it: leaving the box keeps a
    // date exactly as typed and empties anything else, without a word.
    void dateCheck_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("kept");
        QTest::newRow("us word") << "en_US"
                                 << "yesterday" << false;
        QTest::newRow("us date") << "en_US"
                                 << "1/1/2002" << true;
        QTest::newRow("us quote") << "en_US"
                                  << "1/1/2002'" << false;
        QTest::newRow("de impossible day") << "de_DE"
                                           << "31.02.2002" << false;
        QTest::newRow("fa_IR own digits") << "fa_IR"
                                          << "۲۰۰۲/۱/۱۹ ۱۵:۰۴:۰۵" << true;
    }
    void dateCheck() {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(bool, kept);
        QLocale::setDefault(QLocale(locale));
        SearchPage page;
        SetTicks(page, QStringLiteral("1000"));
        page.show();
        page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        for (QLineEdit* box : {Line(page, "txtFrom"), Line(page, "txtTo")}) {
            box->setFocus();
            for (const QChar c : typed)  // key by key, digits of any script included
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QVERIFY(Find(page)->isEnabled());
            Line(page, "txtFind")->setFocus();
            QCOMPARE(box->text(), kept ? typed : QString());
        }
        QCOMPARE(Find(page)->isEnabled(), kept);
    }

    void findChecksDatesFirst() {
        // The button pressed without the date box losing the focus (access key, Enter).
        SearchPage page;
        QSignalSpy spy(&page, &SearchPage::findRequested);
        Line(page, "txtFind")->setText(QStringLiteral("Sub"));
        Line(page, "txtFrom")->setText(QStringLiteral("yesterday"));
        Line(page, "txtTo")->setText(QStringLiteral("2/1/2002"));
        Find(page)->click();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(Line(page, "txtFrom")->text(), QString());
        QCOMPARE(spy.at(0).at(0).toString(),
                 QStringLiteral(" AND ( Instr(Name,'Sub')>0 OR Instr(Description,'Sub')>0 OR "
                                "Instr(Source,'Sub')>0 OR Instr(Content,'Sub')>0) AND "
                                "(DateAdded<='2/1/2002')"));
    }

    void findWithOnlyABadDateDoesNothing() {
        SearchPage page;
        QSignalSpy spy(&page, &SearchPage::findRequested);
        Line(page, "txtFrom")->setText(QStringLiteral("soon"));
        QVERIFY(Find(page)->isEnabled());
        Find(page)->click();
        QCOMPARE(spy.count(), 0);
        QVERIFY(!Find(page)->isEnabled());
    }
};

QTEST_MAIN(tst_searchpage)
#include "tst_searchpage.moc"
