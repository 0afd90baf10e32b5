#pragma once
// The general date format of the library, in one place: the snippet list, the add
// page, the search boxes and the store all write and read dates through here.
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace store {

// The locale's short date with a four-digit year, a blank, the locale's long time
// without time zone; the date alone when the time is exactly midnight.
// Example (en_US): 1/19/2002 3:04:05 PM, and 1/19/2002 at midnight.
QString GeneralDate(const QDateTime& value, const QLocale& locale = QLocale());

// Reads a date text as a user of the locale types it: the locale's short and long
// date forms with or without a time, four- or two-digit years (1930-2029), ISO
// YYYY-MM-DD (optionally with a time), the general date format itself, and a time
// alone (its day is then 30 December 1899). Digits may be the locale's own or ASCII,
// day-period words may drop their dots and blanks, and a 24-hour H:mm[:ss] is read
// in every locale. A text that reads both as a date and as a time is the date.
// Returns an invalid QDateTime when the text is no date.
QDateTime ReadDate(const QString& text, const QLocale& locale = QLocale());

// Without TZ in the environment the C library looks at the zone file again for
// every local date made; naming the zone file once makes it read it once. Does
// nothing when TZ is set. Called before dates are made in bulk.
void PinLocalTimeZone();

// The day a time-of-day alone stands on.
inline QDate DateZero() { return QDate(1899, 12, 30); }

}  // namespace store
