// The general date format and the reading of typed dates, in every locale Qt knows.
#include <QtTest>

#include "store/generaldate.h"

using store::GeneralDate;
using store::ReadDate;

namespace {
const QLocale us(QLocale::English, QLocale::UnitedStates);
const QLocale de(QLocale::German, QLocale::Germany);
const QDateTime afternoon(QDate(2002, 1, 19), QTime(15, 4, 5));
}  // namespace

class tst_generaldate : public QObject {
    Q_OBJECT
private slots:
    void exact_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("moment");  // invalid: not a date
        QTest::addColumn<bool>("written");      // the general date of the moment is the text
        const QDateTime jan1(QDate(2002, 1, 1), QTime(0, 0));
        const auto row = [](const char* name, const QLocale& locale, const char* text, const QDateTime& moment,
                            bool written = false) { QTest::newRow(name) << locale << text << moment << written; };
        row("us afternoon", us, "1/19/2002 3:04:05 PM", afternoon, true);
        row("us midnight", us, "1/1/2002", jan1, true);
        row("us one second past", us, "1/19/2002 12:00:01 AM", QDateTime(QDate(2002, 1, 19), QTime(0, 0, 1)), true);
        row("de", de, "19.01.2002 15:04:05", afternoon, true);
        row("empty", us, "", QDateTime(), true);
        row("us short time", us, "1/19/2002 3:04 pm", QDateTime(QDate(2002, 1, 19), QTime(15, 4)));
        row("us month name", us, "Jan 1 2002", jan1);
        row("us long no weekday", us, "January 1, 2002", jan1);
        row("es_US period typed plainly", QLocale("es_US"), "19/1/2002 3:04:05 pm", afternoon);
        row("fa_IR latin digits", QLocale("fa_IR"), "2002/1/19 15:04:05", afternoon);
        row("blanks around", us, "  1/1/2002  ", jan1);
        row("da date before time", QLocale("da_DK"), "15.04.05", QDateTime(QDate(2005, 4, 15), QTime(0, 0)));
        row("da time", QLocale("da_DK"), "15:04:05", QDateTime(QDate(1899, 12, 30), QTime(15, 4, 5)));
        for (const char* bad : {"yesterday", "13/45/2002", "19/1/2002", "2/30/2002", "1/1/2", "1/1/200", "1/19",
                                "2002-13-01", "1/1/2002 x", "25:00", "13:00 PM", "1/1/2002') OR ('1'='1"})
            row(bad, us, bad, QDateTime());
        row("de us form", de, "1/19/2002", QDateTime());
    }
    void exact() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(QDateTime, moment);
        QFETCH(bool, written);
        if (written) QCOMPARE(GeneralDate(moment, locale), text);
        QCOMPARE(ReadDate(text, locale), moment);
    }

    void everyLocale_data() {
        QTest::addColumn<QLocale>("locale");
        for (const QLocale& l :
             QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory))
            QTest::newRow(qPrintable(l.name() + u' ' + QLocale::scriptToCode(l.script()))) << l;
    }
    // What the list and the add page write reads back to the same second, free of format
    // debris; and the forms a user of the locale types read as meant: short and long
    // dates, two-digit years as 1930-2029, each with the time as the list shows it, ISO,
    // and a time alone.
    void everyLocale() {
        QFETCH(QLocale, locale);
        static const QRegularExpression debris(QStringLiteral("\\(\\s*\\)|\\[\\s*\\]|\\s\\s|^\\s|[\\s,]$"));
        const QString twoDigitShort =
            locale.dateFormat(QLocale::ShortFormat).replace(QLatin1String("yyyy"), QLatin1String("yy"));
        for (const QDateTime& when : {afternoon, QDateTime(QDate(1930, 12, 31), QTime(0, 0)),
                                      QDateTime(QDate(2029, 11, 30), QTime(9, 38, 7))}) {
            const QString shown = GeneralDate(when, locale);
            QVERIFY2(!shown.contains(debris), qPrintable(shown));
            QCOMPARE(ReadDate(shown, locale), when);
            const QDate day = when.date();
            const QDateTime midnight(day, QTime(0, 0));
            const QString shownTime = shown.mid(GeneralDate(midnight, locale).size() + 1);
            for (const QString& typed :
                 {locale.toString(day, QLocale::ShortFormat), locale.toString(day, twoDigitShort),
                  locale.toString(day, QLocale::LongFormat), day.toString(Qt::ISODate)}) {
                QVERIFY2(ReadDate(typed, locale) == midnight, qPrintable(typed));
                QVERIFY2(ReadDate(typed + u' ' + shownTime, locale) == when, qPrintable(typed + u' ' + shownTime));
            }
            if (when.time().minute() > 12)  // else "15.04.05" is a date where dates are written so
                QCOMPARE(ReadDate(shownTime, locale), QDateTime(store::DateZero(), when.time()));
            QCOMPARE(ReadDate(when.time().toString(QStringLiteral("H:mm")), locale),
                     QDateTime(store::DateZero(), QTime(when.time().hour(), when.time().minute())));
        }
    }
};

QTEST_GUILESS_MAIN(tst_generaldate)
#include "tst_generaldate.moc"
