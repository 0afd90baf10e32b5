#pragma once
// Reading Access (.mdb, .accdb) files through mdbtools.
#include <QByteArray>
#include <QString>

#include "transfer/batch.h"

namespace transfer {

// True when the bytes begin like a Jet or ACE database file.
bool LooksLikeAccess(const QByteArray& head);

// Which columns of another table make a snippet.
struct TableMapping {
    QString table, name, content, description, source, date, categoryColumn;
};

// The tables of the file: name, row count, and each column with its type.
QString ListAccessTables(const QString& path);

// The file as a snippet library (tables Types and Code) when `mapping.table` is
// empty, else the mapped table; rows without a category column go to `category`.
Batch ReadAccess(const QString& path, const TableMapping& mapping, const QString& category,
                 const CancelFlag* cancel = nullptr);

}  // namespace transfer
