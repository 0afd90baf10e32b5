#include "export/htmlwriter.h"

#include <QDir>
#include <QFileInfo>

#include "export/colorline.h"
#include "platform/atomicfile.h"
#include "store/store.h"

namespace exporting {

namespace {

// Error numbers of the page writer, in the store's error type so one handler
// reports every failure of an export.
constexpr long kPathNotFound = 76;
constexpr long kFileAccess = 75;
constexpr long kCancelled = 3059;

// Rows between two progress calls.
constexpr qint64 kProgressEvery = 200;

class Page {
public:
    explicit Page(const QString& path) : file_(path) {
        const QFileInfo info(path);
        if (!info.absoluteDir().exists())
            throw store::StoreError(kPathNotFound, QStringLiteral("Path not found: '%1'.").arg(info.absolutePath()));
        QString error;
        if (!file_.Open(&error)) Throw(error);
        // UTF-8 with a byte-order mark, so every character of a snippet survives
        // and browsers read the page right.
        buffer_ = "\xEF\xBB\xBF";
    }
    void Line(const QString& text) {
        buffer_ += text.toUtf8();
        buffer_ += "\r\n";
        if (buffer_.size() > (1 << 16)) Flush();
    }
    void Commit() {
        Flush();
        QString error;
        if (!file_.Commit(&error)) Throw(error);
    }

private:
    [[noreturn]] static void Throw(const QString& error) {
        throw store::StoreError(kFileAccess, QStringLiteral("Path/File access error: ") + error);
    }
    void Flush() {
        QString error;
        if (!file_.Write(buffer_, &error)) Throw(error);
        buffer_.clear();
    }
    platform::AtomicFile file_;
    QByteArray buffer_;
};

QString Text(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

// Where no content font was chosen, the page's text takes the font its code is
// written in, so the page never asks the browser for a nameless font of 0 points.
const QString kDesignedFamily = QStringLiteral("Courier New");
constexpr qint32 kDesignedSize = 10;

}  // namespace

QString CssFontName(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control) continue;
        switch (c.unicode()) {
        case u'"':
        case u'\'':
        case u'\\':
        case u'<':
        case u'>':
        case u'{':
        case u'}':
        case u';':
            continue;
        default:
            out += c;
        }
    }
    return out;
}

QString HtmlEscape(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

void WriteHtmlPage(store::Connection& con, const QString& statement, const ExportOptions& options, const QString& path,
                   const ExportProgress& progress) {
    // The query runs first: a statement that fails leaves no file behind.
    store::Recordset rs;
    rs.Open(statement, &con);
    Page page(path);
    if (options.colors) FillKeywordTables();

    page.Line(QStringLiteral("<HTML>"));
    page.Line(QStringLiteral("<HEAD>"));
    page.Line(QStringLiteral("<META NAME=\"GENERATOR\" Content=\"VB Snippary Add-In, ") + options.homePage +
              QStringLiteral("\">"));
    page.Line(QStringLiteral("<style type=\"text/css\"><!--"));
    const QString family = CssFontName(options.fontName);
    page.Line(QStringLiteral("body,a,li {  font-family: \"") + (family.trimmed().isEmpty() ? kDesignedFamily : family) +
              QStringLiteral("\"; font-size: ") +
              QString::number(options.fontSize > 0 ? options.fontSize : kDesignedSize) + QStringLiteral("pt}"));
    page.Line(QStringLiteral("pre {  font-family: \"Courier New\", Courier; font-size: 10pt}"));
    page.Line(QStringLiteral(".keyword {  font-family: \"Courier New\", Courier; font-size: 10pt; color: #000099}"));
    page.Line(QStringLiteral(".comment { font-family: \"Courier New\", Courier; font-size: 10pt; color: #009900 }"));
    page.Line(QStringLiteral("--></style></HEAD>"));
    page.Line(QStringLiteral("<BODY>"));
    page.Line(QStringLiteral("<a name='top'></a>"));
    const QString list = options.numbered ? QStringLiteral("ol") : QStringLiteral("ul");
    page.Line(u'<' + list + u'>');

    const bool empty = rs.Eof();
    qint64 n = 0;
    for (; !rs.Eof(); rs.MoveNext()) {
        ++n;
        page.Line(QStringLiteral("<li><a href='#") + QString::number(n) + QStringLiteral("'>") +
                  HtmlEscape(Text(rs.Fields(QStringLiteral("Name")))) + QStringLiteral("</a><br>"));
    }
    page.Line(QStringLiteral("</") + list + QStringLiteral("><") + list + u'>');
    const qint64 total = n;
    if (!empty) rs.MoveFirst();
    n = 0;
    for (; !rs.Eof(); rs.MoveNext()) {
        ++n;
        page.Line(QStringLiteral("<hr><li><a name='") + QString::number(n) + QStringLiteral("'></a><a href='#top'>") +
                  HtmlEscape(Text(rs.Fields(QStringLiteral("Name")))) + QStringLiteral("</a>"));
        const QString code = HtmlEscape(Text(rs.Fields(QStringLiteral("Content"))));
        page.Line(QStringLiteral("<pre>") + (options.colors ? ColorLine(QStringLiteral("\r\n") + code) : code) +
                  QStringLiteral("</pre>"));
        if (progress && (n % kProgressEvery == 0 || n == total) && !progress(n))
            throw store::StoreError(kCancelled, QStringLiteral("The export was cancelled; no page was written."));
    }
    page.Line(QStringLiteral("</") + list + u'>');
    rs.Close();
    page.Line(QStringLiteral("</BODY>"));
    page.Line(QStringLiteral("</HTML>"));
    page.Commit();
}

}  // namespace exporting
