#include "main/boxtext.h"

namespace snippary {

QString ToStoreText(const QString& plain) {
    QString out;
    out.reserve(plain.size() + plain.size() / 16);
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const QChar c = plain.at(i);
        if (c == u'\r') {
            // A CR LF pair that slipped through stays one line break.
            if (i + 1 < plain.size() && plain.at(i + 1) == u'\n') ++i;
            out += QStringLiteral("\r\n");
        } else if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString ToBoxText(const QString& stored) {
    QString out = stored;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(u'\r', u'\n');
    return out;
}

}  // namespace snippary
