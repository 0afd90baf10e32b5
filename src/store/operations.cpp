#include "store/operations.h"

#include "store/statements.h"

namespace store {

Transaction::Transaction(Connection& con) : con_(con) { con_.BeginTrans(); }

Transaction::~Transaction() {
    if (!open_) return;
    try {
        con_.RollbackTrans();
    } catch (const StoreError&) {
        // The failure that brought us here is the one worth reporting.
    }
}

void Transaction::Commit() {
    con_.CommitTrans();
    open_ = false;
}

std::vector<Category> ReadCategories(Connection& con, Recordset& rs) {
    std::vector<Category> out;
    rs.Open(stmt::SelectTypes(), &con);
    try {
        for (; !rs.Eof(); rs.MoveNext()) {
            const QVariant name = rs.Fields(QStringLiteral("TypeName"));
            out.push_back(
                {rs.Fields(QStringLiteral("TypeID")).toLongLong(), name.isNull() ? QString() : name.toString()});
        }
    } catch (...) {
        rs.Close();
        throw;
    }
    rs.Close();
    return out;
}

std::vector<Category> ReadCategories(Connection& con) {
    Recordset rs;
    return ReadCategories(con, rs);
}

bool CategoryNameTaken(const QList<QString>& names, const QString& name) {
    for (const QString& n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

qint64 InsertCategoryIn(Connection& con, const QString& name) {
    QList<QString> names;
    for (const Category& c : ReadCategories(con)) names.append(c.name);
    if (CategoryNameTaken(names, name))
        throw StoreError(errors::kDuplicate, QStringLiteral("A category named %1 already exists.").arg(name));
    con.Execute(stmt::InsertType(name));
    return con.LastInsertId();
}

qint64 InsertCategory(Connection& con, const QString& name) {
    Transaction t(con);
    const qint64 id = InsertCategoryIn(con, name);
    t.Commit();
    return id;
}

void DeleteCategory(Connection& con, const QString& name, qint64 typeId) {
    Transaction t(con);
    // Statement 9 deletes by name, by the engine's own comparison: every row it
    // would delete is counted.
    QString rowsByName = stmt::DeleteTypeByName(name);
    rowsByName.replace(0, int(qstrlen("DELETE")), QStringLiteral("SELECT TypeID"));
    Recordset rs;
    int others = 0;
    for (rs.Open(rowsByName, &con); !rs.Eof(); rs.MoveNext())
        if (rs.Fields(0).toLongLong() != typeId) ++others;
    rs.Close();
    if (others > 0)
        throw StoreError(errors::kDuplicate,
                         QStringLiteral("More than one category is named %1, and deleting one would delete them "
                                        "all; nothing was deleted.")
                             .arg(name));
    con.Execute(stmt::DeleteTypeByName(name));
    con.Execute(stmt::DeleteCodeOfType(typeId));
    t.Commit();
}

namespace {

// The stored content of one snippet; false when there is no such snippet.
bool StoredContent(Connection& con, qint64 id, QString* content) {
    Recordset rs;
    rs.Open(stmt::SelectContent(id), &con);
    const bool found = !rs.Eof();
    if (found) *content = rs.Fields(QStringLiteral("Content")).toString();
    rs.Close();
    return found;
}

qint64 LargestId(Connection& con) {
    Recordset rs;
    rs.Open(stmt::SelectMaxId(), &con);
    const QVariant value = rs.Eof() ? QVariant() : rs.Fields(0);
    rs.Close();
    return value.isNull() ? 0 : value.toLongLong();
}

[[noreturn]] void Gone(qint64 id) {
    throw StoreError(errors::kDeleted, QStringLiteral("The snippet %1 no longer exists in the library.").arg(id));
}

// One statement on one snippet, in its own transaction, refused when no row changed.
void ChangeOne(Connection& con, qint64 id, const QString& statement) {
    Transaction t(con);
    if (con.Execute(statement) == 0) Gone(id);
    t.Commit();
}

}  // namespace

qint64 InsertSnippet(Connection& con, const NewSnippet& s) {
    con.Execute(stmt::InsertCode(s.typeId, s.name, s.description, s.dateText, s.source, s.content));
    // Inside the transaction no other writer can add a row, so the largest ID is
    // ours when the engine cannot say which row it made.
    qint64 id = con.LastInsertId();
    if (id <= 0) id = LargestId(con);
    QString stored;
    if (id <= 0 || !StoredContent(con, id, &stored))
        throw StoreError(errors::kGeneral, QStringLiteral("The new snippet's ID could not be read."));
    if (stored != s.content)
        throw StoreError(errors::kGeneral, QStringLiteral("The code could not be stored exactly as given."));
    return id;
}

qint64 AddSnippet(Connection& con, const NewSnippet& snippet) {
    Transaction t(con);
    const qint64 id = InsertSnippet(con, snippet);
    t.Commit();
    return id;
}

void SaveContent(Connection& con, qint64 id, const QString& content, const QString* loaded) {
    Transaction t(con);
    // Read inside the transaction, which holds the row (the file: the write lock;
    // a server: the row read for update) until the new text is in.
    QString now;
    if (loaded != nullptr && !StoredContent(con, id, &now)) Gone(id);
    if (loaded != nullptr && now != *loaded)
        throw StoreError(errors::kChanged,
                         QStringLiteral("Someone else changed the snippet %1 since it was shown here.").arg(id));
    if (con.Execute(stmt::UpdateContent(id, content)) == 0) Gone(id);
    QString stored;
    if (!StoredContent(con, id, &stored)) Gone(id);
    if (stored != content)
        throw StoreError(errors::kGeneral, QStringLiteral("The code could not be stored exactly as given."));
    t.Commit();
}

void ChangeDescription(Connection& con, qint64 id, const QString& description) {
    ChangeOne(con, id, stmt::UpdateDescription(id, description));
}

void ChangeSource(Connection& con, qint64 id, const QString& source) {
    ChangeOne(con, id, stmt::UpdateSource(id, source));
}

void DeleteSnippet(Connection& con, qint64 id) { ChangeOne(con, id, stmt::DeleteCode(id)); }

}  // namespace store
