#pragma once
// The colouring in two forms that give the same bytes: the plain sequence of
// replace-alls, kept as the definition (tests and benchmarks compare against it),
// and the one-scan form the program runs.
#include <QString>

namespace exporting::detail {

extern const QString K;  // <span class="keyword">
extern const QString C;  // <span class="comment">
extern const QString Z;  // </span>

// Keyword marking by 324 replace-alls, in order.
QString MarkKeywordsReference(const QString& text);
// The same marks found in one scan over the text.
QString MarkKeywordsFast(const QString& text);
// Joining neighbouring keyword spans, then the comment pass.
QString FinishLine(QString marked);

QString ColorLineReference(const QString& text);

}  // namespace exporting::detail
