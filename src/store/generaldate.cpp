#include "store/generaldate.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace store {

namespace {

// One piece of a date or time format: a field, or text that stands as it is.
struct Token {
    enum Kind { Text, Day, DayName, Month, MonthName, Year, Hour, Minute, Second, Milli, AmPm, Zone };
    Kind kind = Text;
    QString spec;         // the format letters as written, or the text
    QString folded = {};  // the text as the reader compares it
};
using Format = QList<Token>;

bool IsNumber(Token::Kind k) {
    return k == Token::Day || k == Token::Month || k == Token::Year || k == Token::Hour || k == Token::Minute ||
           k == Token::Second || k == Token::Milli;
}

void AppendText(Format& f, const QString& text) {
    if (text.isEmpty()) return;
    if (!f.isEmpty() && f.last().kind == Token::Text)
        f.last().spec += text;
    else
        f.append(Token{Token::Text, text});
}

// Splits a format of QLocale's syntax: runs of field letters, 'quoted text' with ''
// for a quote, and every other character as text.
Format Parse(const QString& format) {
    Format f;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = format[i];
        if (c == u'\'') {
            QString text;
            qsizetype j = i + 1;
            for (; j < n; ++j) {
                if (format[j] != u'\'') {
                    text += format[j];
                } else if (j + 1 < n && format[j + 1] == u'\'') {
                    text += u'\'';
                    ++j;
                } else {
                    break;
                }
            }
            AppendText(f, i + 1 == j ? QStringLiteral("'") : text);  // '' alone is a quote
            i = j + 1;
            continue;
        }
        qsizetype j = i + 1;
        while (j < n && format[j] == c) ++j;
        const qsizetype run = j - i;
        Token t{Token::Text, format.mid(i, run)};
        switch (c.unicode()) {
        case u'd':
            t.kind = run > 2 ? Token::DayName : Token::Day;
            break;
        case u'M':
            t.kind = run > 2 ? Token::MonthName : Token::Month;
            break;
        case u'y':
            t.kind = Token::Year;
            break;
        case u'h':
        case u'H':
            t.kind = Token::Hour;
            break;
        case u'm':
            t.kind = Token::Minute;
            break;
        case u's':
            t.kind = Token::Second;
            break;
        case u'z':
            t.kind = Token::Milli;
            break;
        case u't':
            t.kind = Token::Zone;
            break;
        case u'B':
            t = Token{Token::AmPm, QStringLiteral("AP")};
            break;  // a day period
        case u'a':
        case u'A':
            t.kind = Token::AmPm;
            j = i + 1;
            if (j < n && (format[j] == u'p' || format[j] == u'P')) ++j;
            t.spec = format.mid(i, j - i);
            break;
        default:
            break;
        }
        if (t.kind == Token::Text)
            AppendText(f, t.spec);
        else
            f.append(t);
        i = j;
    }
    return f;
}

QString Unparse(const Format& f) {
    QString out;
    for (const Token& t : f) {
        if (t.kind != Token::Text) {
            out += t.spec;
            continue;
        }
        QString quoted = t.spec;
        quoted.replace(u'\'', QStringLiteral("''"));
        out += u'\'' + quoted + u'\'';
    }
    return out;
}

// Drops the fields of one kind with the characters around them that only framed or
// led to them: "HH:mm:ss (t)" becomes "HH:mm:ss", "dddd, d MMMM" "d MMMM".
Format Without(Format f, Token::Kind kind, const QString& before, const QString& after) {
    for (qsizetype i = 0; i < f.size();) {
        if (f[i].kind != kind) {
            ++i;
            continue;
        }
        f.removeAt(i);
        if (i > 0 && f[i - 1].kind == Token::Text) {
            QString& s = f[i - 1].spec;
            while (!s.isEmpty() && before.contains(s.back())) s.chop(1);
        }
        if (i < f.size() && f[i].kind == Token::Text) {
            QString& s = f[i].spec;
            while (!s.isEmpty() && after.contains(s.front())) s.remove(0, 1);
        }
    }
    Format tidy;
    for (const Token& t : f) {
        if (t.kind == Token::Text)
            AppendText(tidy, t.spec);
        else
            tidy.append(t);
    }
    auto blank = [](const Token& t) { return t.kind == Token::Text && t.spec.trimmed().isEmpty(); };
    while (!tidy.isEmpty() && blank(tidy.front())) tidy.removeFirst();
    while (!tidy.isEmpty() && blank(tidy.back())) tidy.removeLast();
    return tidy;
}

const QString kFraming = QStringLiteral(" \u00a0\u202f,\u060c\u1363()[]");

Format WithoutZone(const Format& f) { return Without(f, Token::Zone, kFraming, kFraming); }

Format FourDigitYear(Format f) {
    for (Token& t : f)
        if (t.kind == Token::Year) t.spec = QStringLiteral("yyyy");
    return f;
}

// Texts compared in one shape: any script's digits as ASCII digits, direction marks
// dropped, every kind of blank a single blank, letter case folded.
QString Fold(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (QChar::category(c) == QChar::Other_Format) continue;
        if (QChar::category(c) == QChar::Number_DecimalDigit) {
            out += QChar(u'0' + QChar::digitValue(c));
        } else if (QChar::isSpace(c)) {
            if (!out.isEmpty() && out.back() != u' ') out += u' ';
        } else {
            out += QString::fromUcs4(&c, 1);
        }
    }
    if (out.endsWith(u' ')) out.chop(1);
    return out.toCaseFolded();
}

struct Name {
    QString text;  // folded
    int value;
};

// What one locale writes and reads, worked out once: the list shows a date on every
// row, and the reader tries many forms.
struct Formats {
    QLocale locale;
    QString date;  // short date, four-digit year
    QString time;  // long time, no zone
    QList<Format> readDates;
    QList<Format> readTimes;
    QList<Name> months, days, periods;  // periods: 0 before noon, 1 after
};

void AddOnce(QList<Format>& list, Format f) {
    if (f.isEmpty()) return;
    const QString key = Unparse(f);
    for (const Format& known : list)
        if (Unparse(known) == key) return;
    for (Token& t : f) t.folded = Fold(t.spec);
    list.append(f);
}

void AddName(QList<Name>& names, const QString& text, int value) {
    QString folded = Fold(text);
    if (folded.isEmpty()) return;
    names.append(Name{folded, value});
    if (folded.endsWith(u'.')) names.append(Name{folded.chopped(1), value});  // "janv" for "janv."
}

Formats Derive(const QLocale& locale) {
    Formats f;
    f.locale = locale;
    const Format shortDate = Parse(locale.dateFormat(QLocale::ShortFormat));
    const Format longDate = Parse(locale.dateFormat(QLocale::LongFormat));
    const Format longTime = WithoutZone(Parse(locale.timeFormat(QLocale::LongFormat)));
    f.date = Unparse(FourDigitYear(shortDate));
    f.time = Unparse(longTime);

    AddOnce(f.readDates, shortDate);
    AddOnce(f.readDates, longDate);
    AddOnce(f.readDates, Without(longDate, Token::DayName, kFraming, kFraming));
    for (const char* extra : {"d MMM yyyy", "MMM d yyyy", "MMM d, yyyy", "d-MMM-yyyy"})
        AddOnce(f.readDates, Parse(QString::fromLatin1(extra)));

    AddOnce(f.readTimes, longTime);
    AddOnce(f.readTimes, WithoutZone(Parse(locale.timeFormat(QLocale::ShortFormat))));
    AddOnce(f.readTimes, Without(longTime, Token::Second, QStringLiteral(":."), QString()));
    for (const char* extra : {"H:mm:ss", "H:mm", "h:mm:ss AP", "h:mm AP", "h AP"})
        AddOnce(f.readTimes, Parse(QString::fromLatin1(extra)));

    for (int m = 1; m <= 12; ++m)
        for (QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
            AddName(f.months, locale.monthName(m, type), m);
            AddName(f.months, locale.standaloneMonthName(m, type), m);
        }
    for (int d = 1; d <= 7; ++d)
        for (QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
            AddName(f.days, locale.dayName(d, type), d);
            AddName(f.days, locale.standaloneDayName(d, type), d);
        }
    AddName(f.periods, locale.amText(), 0);
    AddName(f.periods, locale.pmText(), 1);
    for (const char* am : {"am", "a.m."}) AddName(f.periods, QString::fromLatin1(am), 0);
    for (const char* pm : {"pm", "p.m."}) AddName(f.periods, QString::fromLatin1(pm), 1);
    return f;
}

const Formats& FormatsOf(const QLocale& locale) {
    // A few locales kept, the last used first; told apart as locales, not by name:
    // uz_UZ names both the Latin and the Cyrillic one.
    thread_local QList<Formats> cache;
    for (qsizetype i = 0; i < cache.size(); ++i)
        if (cache[i].locale == locale) {
            if (i > 0) cache.move(i, 0);
            return cache.front();
        }
    if (cache.size() == 8) cache.removeLast();
    cache.prepend(Derive(locale));
    return cache.front();
}

// Where the name ends when it stands at pos, or -1. A day period may also be written
// with other dots and blanks: "p. m.", "P.M.", "pm".
qsizetype MatchName(const QString& name, const QString& s, qsizetype pos, bool loose) {
    const qsizetype n = s.size();
    auto isDotOrBlank = [](QChar c) { return c == u'.' || c == u' '; };
    qsizetype i = pos;
    for (const QChar c : name) {
        if (loose && isDotOrBlank(c)) continue;
        while (loose && i > pos && i < n && isDotOrBlank(s[i])) ++i;
        if (i >= n || s[i] != c) return -1;
        ++i;
    }
    while (loose && i < n && s[i] == u'.') ++i;
    return i;
}

struct Parts {
    int year = -1, month = -1, day = -1;
    int hour = -1, minute = 0, second = 0, milli = 0, period = -1;
};

// Reads the folded text from pos as format f; returns where it stopped, or -1.
// Blanks between pieces are optional, one- or two-digit numbers both read, and a
// year has two or four digits.
qsizetype Match(const Format& f, const QString& s, qsizetype pos, const QList<Name>& months, const QList<Name>& days,
                const QList<Name>& periods, Parts& p) {
    const qsizetype n = s.size();
    auto skipBlanks = [&] {
        while (pos < n && s[pos] == u' ') ++pos;
    };
    for (qsizetype k = 0; k < f.size(); ++k) {
        const Token& t = f[k];
        if (t.kind == Token::Zone) continue;
        if (t.kind == Token::Text) {
            for (const QChar c : t.folded) {
                skipBlanks();
                if (c == u' ') continue;
                if (pos >= n || s[pos] != c) return -1;
                ++pos;
            }
            continue;
        }
        skipBlanks();
        if (t.kind == Token::DayName || t.kind == Token::MonthName || t.kind == Token::AmPm) {
            const QList<Name>& names = t.kind == Token::DayName ? days : t.kind == Token::MonthName ? months : periods;
            qsizetype best = -1;  // the longest name that stands here
            int value = 0;
            for (const Name& name : names)
                if (const qsizetype end = MatchName(name.text, s, pos, t.kind == Token::AmPm); end > best) {
                    best = end;
                    value = name.value;
                }
            if (best < 0) return -1;
            pos = best;
            if (t.kind == Token::MonthName) p.month = value;
            if (t.kind == Token::AmPm) p.period = value;
            continue;
        }
        // A number; read to its full width when the next field follows without a gap.
        const bool tight = k + 1 < f.size() && IsNumber(f[k + 1].kind);
        const qsizetype width = t.kind == Token::Year ? (tight ? t.spec.size() : 4) : t.kind == Token::Milli ? 3 : 2;
        qsizetype end = pos;
        while (end < n && end - pos < width && s[end].isDigit()) ++end;
        const qsizetype digits = end - pos;
        if (digits == 0 || (tight ? digits != width : end < n && s[end].isDigit())) return -1;
        const int value = s.mid(pos, digits).toInt();
        pos = end;
        switch (t.kind) {
        case Token::Day:
            p.day = value;
            break;
        case Token::Month:
            p.month = value;
            break;
        case Token::Year:
            // Two digits read as 1930-2029; one or three are a slip, not a year.
            if (digits == 2)
                p.year = value < 30 ? 2000 + value : 1900 + value;
            else if (digits == 4)
                p.year = value;
            else
                return -1;
            break;
        case Token::Hour:
            p.hour = value;
            break;
        case Token::Minute:
            p.minute = value;
            break;
        case Token::Second:
            p.second = value;
            break;
        case Token::Milli:
            p.milli = digits == 3 ? value : value * (digits == 2 ? 10 : 100);
            break;
        default:
            break;
        }
    }
    return pos;
}

bool HasHour12(const Format& f) {
    bool period = false, hour12 = false;
    for (const Token& t : f) {
        period = period || t.kind == Token::AmPm;
        hour12 = hour12 || (t.kind == Token::Hour && t.spec.front() == u'h');
    }
    return period && hour12;
}

QTime TimeOf(const Parts& p, bool hour12) {
    int hour = p.hour;
    if (hour12) {
        if (hour < 0 || hour > 12 || p.period < 0) return {};
        hour = hour % 12 + 12 * p.period;
    }
    return QTime(hour, p.minute, p.second, p.milli);
}

// An ISO date, YYYY-MM-DD, at the start of the text; its end (past a "T"), or -1.
qsizetype IsoDate(const QString& text, QDate& date) {
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?=$| |t)"));
    const auto m = iso.match(text);
    if (!m.hasMatch()) return -1;
    date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const qsizetype end = m.capturedEnd(0);
    return end < text.size() && text[end] == u't' ? end + 1 : end;
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
    QString date = locale.toString(value.date(), f.date);
    if (value.time() == QTime(0, 0)) return date;
    return date + u' ' + locale.toString(value.time(), f.time);
}

QDateTime ReadDate(const QString& input, const QLocale& locale) {
    const QString text = Fold(input);
    if (text.isEmpty()) return {};
    const Formats& f = FormatsOf(locale);
    const qsizetype n = text.size();
    auto timeFrom = [&](qsizetype pos) -> QTime {
        for (const Format& time : f.readTimes) {
            Parts p;
            if (Match(time, text, pos, f.months, f.days, f.periods, p) != n) continue;
            if (const QTime t = TimeOf(p, HasHour12(time)); t.isValid()) return t;
        }
        return {};
    };
    auto dateAndTime = [&](const QDate& d, qsizetype end) -> QDateTime {
        if (!d.isValid()) return {};
        if (end == n) return QDateTime(d, QTime(0, 0));
        const QTime t = timeFrom(end);
        return t.isValid() ? QDateTime(d, t) : QDateTime();
    };

    QDate iso;
    if (const qsizetype end = IsoDate(text, iso); end >= 0) return dateAndTime(iso, end);
    for (const Format& date : f.readDates) {
        Parts p;
        const qsizetype end = Match(date, text, 0, f.months, f.days, f.periods, p);
        if (end < 0 || p.year < 0) continue;  // a format without a year read nothing
        if (QDateTime when = dateAndTime(QDate(p.year, p.month, p.day), end); when.isValid()) return when;
    }
    // A time alone after the dates: "01.02.03" is a date where dates are written so.
    if (const QTime t = timeFrom(0); t.isValid()) return QDateTime(DateZero(), t);
    return {};
}

}  // namespace store
