#pragma once
// Snippets written out as one file each.
#include <QString>
#include <QStringList>

#include "transfer/batch.h"

namespace transfer {

// A name the file system takes: no slash, no control character, not "." or "..",
// at most 255 bytes.
QString SafeFileName(const QString& name);

// DIR/<category>/<name>, .bas or .cls added for "Modules" and "Classes" when the
// name has none, names made unique (ignoring case) within their folder; the
// content in UTF-8 with its CR LF line ends. Each file is written whole or not
// at all. Returns the paths written.
QStringList WriteSnippetFiles(const QString& dir, const QList<Item>& items);

}  // namespace transfer
