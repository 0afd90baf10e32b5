#pragma once
// The editor snippet file (JSON, as editors keep user snippets): read and written.
#include <QByteArray>
#include <QString>

#include "transfer/batch.h"

namespace transfer {

// Longest description that takes an entry's prefix and scope in as well (the
// widest text column of an Access library, so a library can go back there).
constexpr int kDescriptionRoom = 255;

// Comments and trailing commas are allowed. Malformed JSON throws Error with the
// line and column; nothing is read then. Entries go to `category`.
Batch ReadSnippetFile(const QByteArray& bytes, const QString& category);

// Strict JSON: key = name (made unique), body = the content's lines, description;
// every $, } and \ the editor would read as snippet syntax is escaped.
QByteArray WriteSnippetFile(const QList<Item>& items);

// The content's text with the editor's snippet syntax escaped, and back.
QString EscapeSnippetText(const QString& text);
QString UnescapeSnippetText(const QString& text);

}  // namespace transfer
