#include "main/librarysession.h"

#include "main/snippetlistmodel.h"
#include "store/connectionstring.h"
#include "store/pgengine.h"
#include "store/operations.h"
#include "store/statements.h"

namespace snippary {

LibrarySession::~LibrarySession() {
    con.Close();
    ForgetPassword();
}

bool LibrarySession::IsOpen() const { return con.State() == store::adStateOpen; }

void LibrarySession::Open(const QString& connectionString, QString path, QString password) {
    Close();
    sDb = std::move(path);
    sPass = std::move(password);
    con.Open(connectionString);
}

void LibrarySession::Open(const QString& path, const QString& password) {
    // A password written into a server address is not kept with it (sDb goes to the settings).
    const QString kept = store::pg::IsAddress(path) ? store::pg::ShownAddress(path) : path;
    Open(store::ConnectionString::ForLibrary(path, password).Build(), kept, password);
}

void LibrarySession::Close() {
    con.Close();
    sDb.clear();
    ForgetPassword();
    ShowNothing();
}

void LibrarySession::ForgetPassword() {
    sPass.fill(u'\0');
    sPass.clear();
}

std::vector<Category> LibrarySession::Categories() {
    try {
        return store::ReadCategories(con);
    } catch (const store::StoreError&) {
        return {};
    }
}

qint64 LibrarySession::AddCategory(const QString& name) { return store::InsertCategory(con, name); }

void LibrarySession::DeleteCategory(const QString& name, qint64 typeId) { store::DeleteCategory(con, name, typeId); }

void LibrarySession::Tick(const QList<qint64>& typeIds) {
    sFind.clear();
    sWhere = store::BuildWhere(typeIds);
}

void LibrarySession::SortBy(int column) { sOrder = store::OrderForColumn(column, sOrder); }

std::vector<SnippetRow> LibrarySession::List() {
    std::vector<SnippetRow> rows;
    if (sWhere.isEmpty()) return rows;
    try {
        store::Recordset rs;
        for (rs.Open(store::stmt::SelectDisplay(sWhere, sFind, sOrder), &con); !rs.Eof(); rs.MoveNext())
            rows.push_back(ReadSnippetRow(rs));
        rs.Close();
    } catch (const store::StoreError&) {
        rows.clear();
    }
    return rows;
}

QString LibrarySession::ExportQuery() const { return store::ExportQuery(sWhere, sFind, sOrder); }

std::optional<QString> LibrarySession::ReadContent(qint64 id) {
    store::Recordset rs;
    rs.Open(store::stmt::SelectContent(id), &con);
    if (rs.Eof()) return std::nullopt;
    const QVariant content = rs.Fields(QStringLiteral("Content"));
    rs.Close();
    return content.isNull() ? QString() : content.toString();
}

void LibrarySession::Show(const SnippetRow& row, const QString& content) {
    shownId = row.id;
    shownName = row.name;
    sCurType = row.typeName;
    shownContent.Set(content);
}

void LibrarySession::ShowNothing() {
    shownId.reset();
    shownName.clear();
    shownContent.Set(QString());
}

bool LibrarySession::Edited(const QString& boxPlain) const { return shownId && boxPlain != shownContent.boxPlain; }

LibrarySession::Saved LibrarySession::SaveShown(const QString& boxPlain, bool overwrite) {
    const QString text = shownContent.StoreText(boxPlain);
    try {
        if (!shownId) throw store::StoreError(store::errors::kDeleted, QString());
        store::SaveContent(con, *shownId, text, overwrite ? nullptr : &shownContent.original);
    } catch (const store::StoreError& e) {
        if (e.Number() == store::errors::kChanged) return Saved::Changed;
        if (e.Number() != store::errors::kDeleted) throw;
        shownId.reset();
        return Saved::Gone;
    }
    shownContent.original = text;
    shownContent.boxPlain = boxPlain;
    return Saved::Yes;
}

void LibrarySession::DeleteSnippet(qint64 id) {
    store::DeleteSnippet(con, id);
    ShowNothing();
}

void LibrarySession::ChangeDescription(qint64 id, const QString& text) { store::ChangeDescription(con, id, text); }

void LibrarySession::ChangeSource(qint64 id, const QString& text) { store::ChangeSource(con, id, text); }

}  // namespace snippary
