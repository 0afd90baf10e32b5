#pragma once
// Making new library files.
#include <QString>

namespace store {

// The five permanent categories every new library starts with, in TypeID order.
extern const char* const PermanentCategories[5];

// Creates an empty library at `path` (tables Types and Code, the view qDisplay,
// the five permanent categories); encrypted when `password` is not empty; with
// about twenty sample snippets when `withSamples`. Refuses an existing path and
// leaves nothing behind on failure. A server address (postgresql://...) names an
// existing empty database, in which the tables are made. Throws StoreError.
void CreateLibrary(const QString& path, const QString& password, bool withSamples);

// The file type of our libraries, for file dialogs.
inline constexpr const char* LibraryFilter = "Snippet library (*.snip)|*.snip";
inline constexpr const char* LibrarySuffix = "snip";

}  // namespace store
