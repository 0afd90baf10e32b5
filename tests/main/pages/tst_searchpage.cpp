// The Search page: when Find can be pressed, what a click asks the window to search
// for, and dates checked as the user types them.
#include <QtTest>
#include <QtWidgets>

#include "main/ui/searchpage.h"
#include "testsupport.h"

using snippary::SearchPage;

namespace {
QLineEdit* Line(QWidget& page, const char* name) { return page.findChild<QLineEdit*>(name); }
QPushButton* Find(QWidget& page) { return page.findChild<QPushButton*>("cmdFind"); }
// Ticks the columns of `mask` ("1001": Name and Content) by clicks, so the enabling rule runs.
void SetTicks(SearchPage& page, const QString& mask) {
    for (int i = 0; i < 4; ++i) {
        auto* box = page.findChild<QCheckBox*>(QStringLiteral("chkFind_%1").arg(i));
        if (box->isChecked() != (mask.at(i) == u'1')) box->click();
    }
}
}  // namespace

class tst_searchpage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { testsupport::UseOwnSettingsFolders(); }
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Find is pressed without the date boxes losing the focus (as by its access key or
    // Enter): the dates are checked first, and a bad one neither searches nor reaches
    // the condition; a page that is left with nothing to find asks for no search.
    void find_data() {
        QTest::addColumn<QStringList>("typed");  // find, from, to
        QTest::addColumn<QString>("ticks");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("sFind");
        QTest::newRow("nothing") << QStringList{"", "", ""} << "1111" << false << "";
        QTest::newRow("dates, no column") << QStringList{"", "1/1/2002", "2/1/2002"} << "0000" << false
                                          << " AND (DateAdded>='1/1/2002') AND (DateAdded<='2/1/2002')";
        QTest::newRow("blank counts") << QStringList{" ", "", ""} << "0001" << true << " AND ( Instr(Content,' ')>0)";
        QTest::newRow("to only") << QStringList{"", "", "1/1/2002"} << "0010" << true << " AND (DateAdded<='1/1/2002')";
        QTest::newRow("example")
            << QStringList{"it's", "1/1/2002", ""} << "1001" << true
            << " AND ( Instr(Name,'it''s')>0 OR Instr(Content,'it''s')>0) AND (DateAdded>='1/1/2002')";
        QTest::newRow("bad from, good to")
            << QStringList{"Sub", "yesterday", "2/1/2002"} << "1111" << true
            << " AND ( Instr(Name,'Sub')>0 OR Instr(Description,'Sub')>0 OR "
               "Instr(Source,'Sub')>0 OR Instr(Content,'Sub')>0) AND (DateAdded<='2/1/2002')";
        QTest::newRow("smuggled text") << QStringList{"", "1/1/2002' OR 1=1 --", ""} << "1111" << true << "";
    }
    void find() {
        QFETCH(QStringList, typed);
        QFETCH(QString, ticks);
        QFETCH(bool, enabled);
        QFETCH(QString, sFind);
        SearchPage page;
        QSignalSpy spy(&page, &SearchPage::findRequested);
        Line(page, "txtFind")->setText(typed[0]);
        Line(page, "txtFrom")->setText(typed[1]);
        Line(page, "txtTo")->setText(typed[2]);
        SetTicks(page, ticks);
        QCOMPARE(Find(page)->isEnabled(), enabled);
        QCOMPARE(page.BuildFind(), sFind);  // what the window would search for now
        Find(page)->click();
        QCOMPARE(spy.count(), enabled && !sFind.isEmpty() ? 1 : 0);
        if (spy.count() == 1) QCOMPARE(spy.at(0).at(0).toString(), sFind);
        // A bad From date is emptied (1/1/2002 is the one good From date of these rows).
        QCOMPARE(Line(page, "txtFrom")->text(), typed[1] == "1/1/2002" ? typed[1] : QString());
        QCOMPARE(Find(page)->isEnabled(), enabled && !sFind.isEmpty());
    }

    // Typed into From and To as a user of the locale types it: leaving the box keeps a
    // date exactly as typed and empties anything else, without a word.
    void dateCheck_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("typed");
        QTest::newRow("us word") << "en_US" << false << "yesterday";
        QTest::newRow("us date") << "en_US" << true << "1/1/2002";
        QTest::newRow("us quote") << "en_US" << false << "1/1/2002'";
        QTest::newRow("de impossible day") << "de_DE" << false << "31.02.2002";
        QTest::newRow("fa_IR own digits") << "fa_IR" << true << "۲۰۰۲/۱/۱۹ ۱۵:۰۴:۰۵";
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
};

QTEST_MAIN(tst_searchpage)
#include "tst_searchpage.moc"
