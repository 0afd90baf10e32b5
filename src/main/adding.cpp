#include "main/adding.h"

#include <QFileInfo>

#include "store/generaldate.h"
#include "platform/textfile.h"
#include "store/operations.h"

namespace snippary {

bool AddEnabled(int categoryIndex, const QString& name, const QString& content) {
    return categoryIndex >= 0 && !name.isEmpty() && !content.isEmpty();
}

AddOutcome AddSnippet(store::Connection* con, const NewSnippet& snippet, const QDateTime& now) {
    AddOutcome outcome;
    if (con == nullptr || con->State() != store::adStateOpen) {
        outcome.error = QStringLiteral("No library is open. The snippet was not added.");
        return outcome;
    }
    // The same seconds go into the statement and the list row.
    const QString dateText = store::GeneralDate(now);
    try {
        outcome.row.id = store::AddSnippet(
            *con, {snippet.typeId, snippet.name, snippet.description, dateText, snippet.source, snippet.content});
    } catch (const store::StoreError& e) {
        outcome.error = e.Message();
        return outcome;
    }
    outcome.ok = true;
    outcome.row.hasId = true;
    outcome.row.name = snippet.name;
    outcome.row.typeName = snippet.typeName;
    outcome.row.description = snippet.description;
    QDateTime shown = store::ReadDate(dateText);
    if (!shown.isValid())
        shown = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
    outcome.row.dateAdded = shown;
    outcome.row.source = snippet.source;
    return outcome;
}

ModuleFile ReadModuleForAdd(const QString& path) {
    ModuleFile file;
    const platform::ModuleText text = platform::ReadModuleFile(path);
    if (!text.ok) {
        file.error = text.error.isEmpty() ? QStringLiteral("The file %1 could not be read.").arg(path) : text.error;
        return file;
    }
    file.ok = true;
    file.name = QFileInfo(path).fileName();
    file.content = text.content;
    return file;
}

}  // namespace snippary
