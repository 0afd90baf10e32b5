// The general date format and the reading of typed dates, in two locales.
#include <QtTest>

#include "platform/generaldate.h"

using platform::GeneralDate;
using platform::ReadDate;

namespace {
const QLocale us(QLocale::English, QLocale::UnitedStates);
const QLocale de(QLocale::German, QLocale::Germany);
}  // namespace

class tst_generaldate : public QObject {
    Q_OBJECT
private slots:
    void write_data();
    void write();
    void read_data();
    void read();
    void roundTrip();
};

void tst_generaldate::write_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("us afternoon") << us << QDateTime(QDate(2002, 1, 19), QTime(15, 4, 5)) << "1/19/2002 3:04:05 PM";
    QTest::newRow("us midnight") << us << QDateTime(QDate(2002, 1, 19), QTime(0, 0)) << "1/19/2002";
    QTest::newRow("us one second past") << us << QDateTime(QDate(2002, 1, 19), QTime(0, 0, 1))
                                        << "1/19/2002 12:00:01 AM";
    QTest::newRow("de") << de << QDateTime(QDate(2002, 1, 19), QTime(15, 4, 5)) << "19.01.2002 15:04:05";
    QTest::newRow("de midnight") << de << QDateTime(QDate(1999, 12, 31), QTime(0, 0)) << "31.12.1999";
    QTest::newRow("invalid") << us << QDateTime() << "";
}

void tst_generaldate::write() {
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, value);
    QFETCH(QString, expected);
    QCOMPARE(GeneralDate(value, locale), expected);
}

void tst_generaldate::read_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");  // invalid: not a date
    const QDateTime jan1(QDate(2002, 1, 1), QTime(0, 0));
    QTest::newRow("us short") << us << "1/1/2002" << jan1;
    QTest::newRow("us leading zeros") << us << "01/01/2002" << jan1;
    QTest::newRow("us two-digit year 02") << us << "1/1/02" << jan1;
    QTest::newRow("us two-digit year 29") << us << "1/1/29" << QDateTime(QDate(2029, 1, 1), QTime(0, 0));
    QTest::newRow("us two-digit year 30") << us << "1/1/30" << QDateTime(QDate(1930, 1, 1), QTime(0, 0));
    QTest::newRow("us general") << us << "1/19/2002 3:04:05 PM" << QDateTime(QDate(2002, 1, 19), QTime(15, 4, 5));
    QTest::newRow("us short time") << us << "1/19/2002 3:04 pm" << QDateTime(QDate(2002, 1, 19), QTime(15, 4));
    QTest::newRow("us 24h time") << us << "1/19/2002 15:04" << QDateTime(QDate(2002, 1, 19), QTime(15, 4));
    QTest::newRow("us month name") << us << "Jan 1 2002" << jan1;
    QTest::newRow("us long") << us << "Tuesday, January 1, 2002" << jan1;
    QTest::newRow("us long no weekday") << us << "January 1, 2002" << jan1;
    QTest::newRow("iso") << us << "2002-01-01" << jan1;
    QTest::newRow("iso time") << us << "2002-01-19 15:04:05" << QDateTime(QDate(2002, 1, 19), QTime(15, 4, 5));
    QTest::newRow("time alone") << us << "10:30" << QDateTime(QDate(1899, 12, 30), QTime(10, 30));
    QTest::newRow("time alone pm") << us << "3:04:05 PM" << QDateTime(QDate(1899, 12, 30), QTime(15, 4, 5));
    QTest::newRow("blanks around") << us << "  1/1/2002  " << jan1;
    QTest::newRow("de short") << de << "1.1.2002" << jan1;
    QTest::newRow("de general") << de << "19.01.2002 15:04:05" << QDateTime(QDate(2002, 1, 19), QTime(15, 4, 5));
    QTest::newRow("de two-digit") << de << "01.01.02" << jan1;
    QTest::newRow("de long") << de << "1. Januar 2002" << jan1;
    QTest::newRow("empty") << us << "" << QDateTime();
    QTest::newRow("word") << us << "yesterday" << QDateTime();
    QTest::newRow("us day 45") << us << "13/45/2002" << QDateTime();
    QTest::newRow("us day-first") << us << "19/1/2002" << QDateTime();
    QTest::newRow("de us form") << de << "1/19/2002" << QDateTime();
    QTest::newRow("feb 30") << us << "2/30/2002" << QDateTime();
    QTest::newRow("one-digit year") << us << "1/1/2" << QDateTime();
    QTest::newRow("iso bad month") << us << "2002-13-01" << QDateTime();
    QTest::newRow("trailing junk") << us << "1/1/2002 x" << QDateTime();
    QTest::newRow("bad time") << us << "25:00" << QDateTime();
    QTest::newRow("sql") << us << "1/1/2002') OR ('1'='1" << QDateTime();
}

void tst_generaldate::read() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    const QDateTime got = ReadDate(text, locale);
    QCOMPARE(got.isValid(), expected.isValid());
    if (expected.isValid()) QCOMPARE(got, expected);
}

// Whatever the list shows, the search reads back as the same moment.
void tst_generaldate::roundTrip() {
    for (const QLocale& locale : {us, de, QLocale(QLocale::English, QLocale::UnitedKingdom),
                                  QLocale(QLocale::French, QLocale::France), QLocale(QLocale::Japanese, QLocale::Japan)}) {
        for (const QDateTime& when : {QDateTime(QDate(2002, 1, 19), QTime(15, 4, 5)),
                                      QDateTime(QDate(1999, 12, 31), QTime(0, 0)),
                                      QDateTime(QDate(2026, 7, 4), QTime(0, 0, 59))}) {
            const QString text = GeneralDate(when, locale);
            QVERIFY2(ReadDate(text, locale) == when, qPrintable(locale.name() + ": " + text));
        }
    }
}

QTEST_GUILESS_MAIN(tst_generaldate)
#include "tst_generaldate.moc"
