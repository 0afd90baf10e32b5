#include "main/adding.h"

#include <QFileInfo>

#include "platform/generaldate.h"
#include "platform/textfile.h"
#include "store/statements.h"
#include "store/store.h"

namespace snippary {

bool AddEnabled(int categoryIndex, const QString& name, const QString& content) {
    return categoryIndex >= 0 && !name.isEmpty() && !content.isEmpty();
}

namespace {

// The largest ID, or 0 when it cannot be read.
qint64 MaxId(store::Connection& con) {
    try {
        store::Recordset rs;
        rs.Open(store::stmt::SelectMaxId(), &con);
        qint64 id = 0;
        if (!rs.Eof()) {
            const QVariant value = rs.Fields(0);
            if (!value.isNull())
                id = value.toLongLong();
        }
        rs.Close();
        return id;
    } catch (const store::StoreError&) {
        return 0;
    }
}

QString StoredContent(store::Connection& con, qint64 id, bool* found) {
    store::Recordset rs;
    rs.Open(store::stmt::SelectContent(id), &con);
    QString content;
    *found = !rs.Eof();
    if (*found)
        content = rs.Fields(QStringLiteral("Content")).toString();
    rs.Close();
    return content;
}

void RollBack(store::Connection& con) {
    try {
        con.RollbackTrans();
    } catch (const store::StoreError&) {
        // The insert failed already; a failed rollback leaves nothing to undo.
    }
}

}  // namespace

AddOutcome AddSnippet(store::Connection* con, const NewSnippet& snippet, const QDateTime& now) {
    AddOutcome outcome;
    if (con == nullptr || con->State() != store::adStateOpen) {
        outcome.error = QStringLiteral("No library is open. The snippet was not added.");
        return outcome;
    }
    // The same seconds go into the statement and the list row.
    const QString dateText = platform::GeneralDate(now);
    const QString statement = store::stmt::InsertCode(snippet.typeId, snippet.name,
                                                      snippet.description, dateText,
                                                      snippet.source, snippet.content);
    bool inTransaction = false;
    try {
        con->BeginTrans();
        inTransaction = true;
        con->Execute(statement);

        const qint64 lastId = con->LastInsertId();
        const qint64 maxId = MaxId(*con);
        // Another writer may have added a row after ours; our own insert id wins.
        const qint64 id = lastId > 0 ? lastId : maxId;
        if (id <= 0)
            throw store::StoreError(0, QStringLiteral("The new snippet's ID could not be read."));

        bool found = false;
        const QString stored = StoredContent(*con, id, &found);
        if (!found || stored != snippet.content)
            throw store::StoreError(
                0, QStringLiteral("The code could not be stored exactly as given."));

        con->CommitTrans();
        inTransaction = false;

        outcome.ok = true;
        outcome.row.id = id;
        outcome.row.hasId = true;
        outcome.row.name = snippet.name;
        outcome.row.typeName = snippet.typeName;
        outcome.row.description = snippet.description;
        QDateTime shown = platform::ReadDate(dateText);
        if (!shown.isValid())
            shown = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(),
                                                now.time().second()));
        outcome.row.dateAdded = shown;
        outcome.row.source = snippet.source;
    } catch (const store::StoreError& e) {
        if (inTransaction)
            RollBack(*con);
        outcome.ok = false;
        outcome.error = e.Message();
    }
    return outcome;
}

ModuleFile ReadModuleForAdd(const QString& path) {
    ModuleFile file;
    const platform::ModuleText text = platform::ReadModuleFile(path);
    if (!text.ok) {
        file.error = text.error.isEmpty()
                         ? QStringLiteral("The file %1 could not be read.").arg(path)
                         : text.error;
        return file;
    }
    file.ok = true;
    file.name = QFileInfo(path).fileName();
    file.content = text.content;
    return file;
}

}  // namespace snippary
