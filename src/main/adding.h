#pragma once
// Adding a snippet to the library and reading a module file for it, without widgets.
#include <QDateTime>
#include <QString>

#include "main/snippetrow.h"

namespace store {
class Connection;
}  // namespace store

namespace snippary {

// Add is possible with a chosen category, a name and a content (spaces count).
bool AddEnabled(int categoryIndex, const QString& name, const QString& content);

struct NewSnippet {
    qint64 typeId = 0;
    QString typeName;
    QString name;
    QString description;
    QString source;
    QString content;  // store form (CR LF line ends)
};

struct AddOutcome {
    bool ok = false;
    SnippetRow row;  // the list row for the new snippet when ok
    QString error;   // the message for the user when !ok
};

// Adds the snippet with the date text of `now` (store::AddSnippet) and makes its
// list row; on any failure nothing is kept and `error` says why.
AddOutcome AddSnippet(store::Connection* con, const NewSnippet& snippet, const QDateTime& now);

struct ModuleFile {
    bool ok = false;
    QString name;     // the file's name with its extension, no folder
    QString content;  // every line followed by CR LF
    QString error;
};

// Reads a module or class file for the add page.
ModuleFile ReadModuleForAdd(const QString& path);

}  // namespace snippary
