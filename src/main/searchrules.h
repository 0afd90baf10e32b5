#pragma once
// The rules of the Search page, without widgets.
#include <QLocale>
#include <QString>
#include <array>

namespace snippary {

// Find is possible when any of the three texts is not empty and at least one
// column is ticked (a search by dates alone needs a ticked column too).
bool FindEnabled(const QString& findText, const QString& fromText, const QString& toText,
                 const std::array<bool, 4>& columns);

// The date box's text after it lost the focus: kept exactly as typed when it reads
// as a date, otherwise empty. A text holding an apostrophe is never kept, since the
// date goes into the condition unquoted.
QString CheckedDateText(const QString& text, const QLocale& locale = QLocale());

}  // namespace snippary
