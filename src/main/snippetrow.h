#pragma once
// One row of the snippet list.
#include <QDateTime>
#include <QString>

namespace snippary {

struct SnippetRow {
    qint64 id = 0;
    bool hasId = false;   // false only when the new row's ID could not be learned
    QString name;         // text of the row
    QString typeName;     // sub-item 1
    QString description;  // sub-item 2 (Null shows empty)
    QDateTime dateAdded;  // sub-item 3, shown in the general date format; invalid = Null
    QString source;       // sub-item 4
};

}  // namespace snippary
