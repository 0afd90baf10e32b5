#include "main/searchrules.h"

#include <algorithm>

#include "store/generaldate.h"

namespace snippary {

bool FindEnabled(const QString& findText, const QString& fromText, const QString& toText,
                 const std::array<bool, 4>& columns) {
    const bool anyText = !findText.isEmpty() || !fromText.isEmpty() || !toText.isEmpty();
    const bool anyColumn = std::any_of(columns.begin(), columns.end(), [](bool b) { return b; });
    return anyText && anyColumn;
}

QString CheckedDateText(const QString& text, const QLocale& locale) {
    if (text.isEmpty() || text.contains(QLatin1Char('\''))) return QString();
    return store::ReadDate(text, locale).isValid() ? text : QString();
}

}  // namespace snippary
