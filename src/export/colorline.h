#pragma once
// Visual Basic colouring for the HTML page: keywords and comments wrapped in spans.
#include <QString>
#include <QStringList>

namespace exporting {

// Fills the two keyword tables once; later calls do nothing.
void FillKeywordTables();
const QStringList& StatementKeywords();  // 83 entries
const QStringList& ArgumentKeywords();   // 25 entries

// How many times s2 occurs in s1, overlapping occurrences included.
qint32 CountStr(const QString& s1, const QString& s2);

// The marked-up text. Fills the keyword tables if that has not happened yet.
QString ColorLine(const QString& text);

}  // namespace exporting
