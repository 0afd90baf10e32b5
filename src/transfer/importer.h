#pragma once
// Bringing sources into a library: every source is read first, then everything
// goes in as one transaction, so a failure or a cancel leaves the library as it was.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

#include "transfer/access.h"
#include "transfer/batch.h"

namespace store {
class Connection;
}  // namespace store

namespace transfer {

enum class SourceKind { AccessFile, Folder, CodeFile, SnippetFile, Dump };

// Known from the content, not the name: a folder, an Access file, a dump, an
// editor snippet file (a JSON object, comments allowed), else a code file.
SourceKind DetectSource(const QString& path);

struct ImportOptions {
    QString category = QStringLiteral("Snippets");  // for files that are neither .bas nor .cls
    TableMapping mapping;                           // an Access table other than the library's
    std::function<void(int filesRead)> onRead;      // hears the reading of a folder's files
};

Batch ReadSource(const QString& path, const ImportOptions& options, const CancelFlag* cancel = nullptr);

struct Summary {
    int added = 0;
    int categoriesAdded = 0;
    QStringList skipped;  // "what: why"
    QStringList notes;
    // "Added 3 snippets and 1 category; skipped 2 (1 a binary file, 1 a link out of the folder)."
    QString Line() const;
};

// Called with the count of snippets done and the total; may set the cancel flag.
using Progress = std::function<void(int done, int total)>;

// Reads every source, then adds all of it in one transaction: categories matched
// by name (ignoring case) or made in the order met, each snippet with its own date
// or `now`. Throws Error, Cancelled or store::StoreError with nothing changed.
Summary Import(store::Connection& con, const QStringList& sources, const ImportOptions& options, const QDateTime& now,
               const CancelFlag* cancel = nullptr, const Progress& progress = {});

// Reads what the sources hold without touching a library (for a preview or a count).
Batch ReadSources(const QStringList& sources, const ImportOptions& options, const CancelFlag* cancel = nullptr);

}  // namespace transfer
