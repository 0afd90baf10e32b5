#pragma once
// JSON text as the writers here give it out.
#include <QByteArray>
#include <QJsonDocument>

namespace transfer {

// Indented, one key a line. A byte-order mark inside a text is written as the
// escape \ufeff: the reader drops the raw character, which would change the text.
inline QByteArray JsonText(const QJsonDocument& doc) {
    return doc.toJson(QJsonDocument::Indented).replace("\xEF\xBB\xBF", "\\ufeff");
}

}  // namespace transfer
