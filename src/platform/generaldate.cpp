#include "platform/generaldate.h"

#include <QRegularExpression>
#include <QStringList>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace platform {

namespace {

// The formats derived from one locale, worked out once: the list shows a date on
// every row, and the reader tries many forms.
struct Formats {
    QString localeName;
    QString date;  // short date, four-digit year
    QString time;  // long time, no zone
    QStringList readDates;
    QStringList readTimes;
};

QString FourDigitYear(QString format) {
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    return format.replace(twoDigitYear, QStringLiteral("yyyy"));
}

QString WithoutZone(QString format) {
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    return format.replace(zone, QStringLiteral(" ")).trimmed();
}

QString WithoutWeekday(QString format) {
    static const QRegularExpression weekday(QStringLiteral("dddd[,.]?\\s*"));
    return format.replace(weekday, QString()).trimmed();
}

QString WithoutSeconds(QString format) {
    return format.replace(QRegularExpression(QStringLiteral("[:.]ss")), QString());
}

// Users drop leading zeros: "1.1.2002" for dd.MM.yyyy.
QString WithoutLeadingZeros(QString format) {
    static const QRegularExpression day(QStringLiteral("(?<!d)dd(?!d)"));
    static const QRegularExpression month(QStringLiteral("(?<!M)MM(?!M)"));
    static const QRegularExpression hour(QStringLiteral("(?<![hH])([hH])\\1(?![hH])"));
    format.replace(day, QStringLiteral("d"));
    format.replace(month, QStringLiteral("M"));
    return format.replace(hour, QStringLiteral("\\1"));
}

void AddOnce(QStringList& list, const QString& f) {
    if (f.isEmpty()) return;
    if (!list.contains(f)) list.append(f);
    const QString relaxed = WithoutLeadingZeros(f);
    if (!list.contains(relaxed)) list.append(relaxed);
}

Formats Derive(const QLocale& locale) {
    Formats f;
    f.localeName = locale.name();
    f.date = FourDigitYear(locale.dateFormat(QLocale::ShortFormat));
    f.time = WithoutZone(locale.timeFormat(QLocale::LongFormat));

    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString longDate = locale.dateFormat(QLocale::LongFormat);
    AddOnce(f.readDates, shortDate);
    AddOnce(f.readDates, f.date);
    AddOnce(f.readDates, longDate);
    AddOnce(f.readDates, WithoutWeekday(longDate));
    for (const char* extra : {"d MMM yyyy", "MMM d yyyy", "MMM d, yyyy", "d MMMM yyyy", "MMMM d yyyy",
                              "MMMM d, yyyy", "d-MMM-yyyy", "d MMM yy", "MMM d yy", "d-MMM-yy"})
        AddOnce(f.readDates, QString::fromLatin1(extra));

    const QString shortTime = WithoutZone(locale.timeFormat(QLocale::ShortFormat));
    AddOnce(f.readTimes, f.time);
    AddOnce(f.readTimes, shortTime);
    AddOnce(f.readTimes, WithoutSeconds(f.time));
    for (const char* extra : {"H:mm:ss", "H:mm", "h:mm:ss AP", "h:mm AP", "h AP"})
        AddOnce(f.readTimes, QString::fromLatin1(extra));
    return f;
}

const Formats& FormatsOf(const QLocale& locale) {
    thread_local Formats cached;
    if (cached.localeName.isEmpty() || cached.localeName != locale.name()) cached = Derive(locale);
    return cached;
}

bool TwoDigitYear(const QString& format) {
    return format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
}

// Two-digit years as the library's dates always read them: 00-29 this century,
// 30-99 the last.
QDate ReadDateOnly(const QString& text, const QString& format, const QLocale& locale) {
    QDate d = locale.toDate(text, format);
    if (!d.isValid()) return d;
    if (TwoDigitYear(format)) {
        if (d.year() < 1930) d = d.addYears(100);
    } else if (d.year() < 100) {
        return {};  // "1/1/2" is a slip, not the year 2
    }
    return d;
}

QDateTime ReadIso(const QString& text) {
    static const QRegularExpression iso(QStringLiteral(
        "^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    const auto m = iso.match(text);
    if (!m.hasMatch()) return {};
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    QTime time(0, 0);
    if (m.capturedLength(4) > 0) time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid()) return {};
    return QDateTime(date, time);
}

}  // namespace

void PinLocalTimeZone() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (std::getenv("TZ") == nullptr) {
            setenv("TZ", ":/etc/localtime", 0);
            tzset();
        }
    });
}

QString GeneralDate(const QDateTime& value, const QLocale& locale) {
    if (!value.isValid()) return QString();
    const Formats& f = FormatsOf(locale);
    const QString date = locale.toString(value.date(), f.date);
    if (value.time() == QTime(0, 0)) return date;
    return date + u' ' + locale.toString(value.time(), f.time);
}

QDateTime ReadDate(const QString& input, const QLocale& locale) {
    const QString text = input.simplified();
    if (text.isEmpty()) return {};
    if (QDateTime iso = ReadIso(text); iso.isValid()) return iso;
    const Formats& f = FormatsOf(locale);

    for (const QString& time : f.readTimes) {
        const QTime t = locale.toTime(text, time);
        if (t.isValid()) return QDateTime(DateZero(), t);
    }
    for (const QString& date : f.readDates) {
        if (const QDate d = ReadDateOnly(text, date, locale); d.isValid()) return QDateTime(d, QTime(0, 0));
    }
    // A date and a time: split at each blank and try both halves.
    for (qsizetype blank = text.indexOf(u' '); blank > 0; blank = text.indexOf(u' ', blank + 1)) {
        const QString datePart = text.left(blank);
        const QString timePart = text.mid(blank + 1);
        QTime t;
        for (const QString& time : f.readTimes) {
            t = locale.toTime(timePart, time);
            if (t.isValid()) break;
        }
        if (!t.isValid()) continue;
        if (QDateTime iso = ReadIso(datePart); iso.isValid()) return QDateTime(iso.date(), t);
        for (const QString& date : f.readDates)
            if (const QDate d = ReadDateOnly(datePart, date, locale); d.isValid()) return QDateTime(d, t);
    }
    return {};
}

}  // namespace platform
