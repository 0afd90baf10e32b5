#pragma once
// Writes the listed snippets as one HTML page.
#include <QString>
#include <functional>

namespace store {
class Connection;
}  // namespace store

namespace exporting {

struct ExportOptions {
    bool numbered = false;  // "Numbered list"; otherwise "Simple list"
    bool colors = false;    // "Use VB standard colors"
    QString fontName;       // sFontName; empty: the font of the page's code
    qint32 fontSize = 0;    // lFontSize; 0 or less: the size of the page's code
    QString homePage;       // for the generator line
};

// Called now and then while writing: rows written so far. Return false to cancel
// (the target is then left untouched).
using ExportProgress = std::function<bool(qint64 rowsDone)>;

// Runs `statement` on `con` and writes the page to `path` through a temporary
// file in the same folder, renamed over the target only when complete. Throws
// store::StoreError for a failing query or file (nothing is left behind then).
void WriteHtmlPage(store::Connection& con, const QString& statement, const ExportOptions& options, const QString& path,
                   const ExportProgress& progress = {});

// The font name as it may stand quoted in the style block: quotes, backslashes,
// <, >, braces, semicolons and control characters (line ends) are dropped.
QString CssFontName(const QString& name);

// Escapes &, < and > for the page.
QString HtmlEscape(const QString& text);

}  // namespace exporting
