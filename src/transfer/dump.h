#pragma once
// The whole library as one JSON document, and back.
//
// {"format": "snippary-dump", "version": 1,
//  "categories": [names in TypeID order],
//  "snippets": [{"id", "category", "name", "description", "dateAdded", "source", "content"}
//               in ID order]}
// Keys are sorted and every key stands on its own line, so two dumps of a library
// differ only where the library changed. Dates are ISO 8601 local times
// (yyyy-MM-ddTHH:mm:ss), null for none; a Null text is written as empty text.
#include <QByteArray>

#include "transfer/batch.h"

namespace store {
class Connection;
}  // namespace store

namespace transfer {

QByteArray DumpLibrary(store::Connection& con);
bool LooksLikeDump(const QByteArray& bytes);
Batch ReadDump(const QByteArray& bytes);

// The rows of a snippet query (statement 2 or the export's form of it), in its order.
QList<Item> ReadListed(store::Connection& con, const QString& query);

}  // namespace transfer
