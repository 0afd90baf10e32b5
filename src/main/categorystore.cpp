#include "main/categorystore.h"

#include "store/statements.h"
#include "store/store.h"

namespace snippary {

std::vector<Category> ReadCategories(store::Connection& con, store::Recordset& rs) {
    std::vector<Category> out;
    rs.Open(store::stmt::SelectTypes(), &con);
    try {
        while (!rs.Eof()) {
            Category c;
            c.typeId = rs.Fields(QStringLiteral("TypeID")).toLongLong();
            const QVariant name = rs.Fields(QStringLiteral("TypeName"));
            c.name = name.isNull() ? QString() : name.toString();
            out.push_back(std::move(c));
            rs.MoveNext();
        }
    } catch (...) {
        rs.Close();
        throw;
    }
    rs.Close();
    return out;
}

namespace {

// Runs `work` inside one transaction; on any failure nothing of it stays.
template <typename F>
auto InTransaction(store::Connection& con, F work) {
    con.BeginTrans();
    try {
        auto result = work();
        con.CommitTrans();
        return result;
    } catch (...) {
        try {
            con.RollbackTrans();
        } catch (...) {
            // The first failure is the one worth reporting.
        }
        throw;
    }
}

}  // namespace

qint64 InsertCategory(store::Connection& con, const QString& name) {
    // Checked inside the insert's transaction: another window or program may have
    // added the name since this one filled its list.
    return InTransaction(con, [&] {
        store::Recordset rs;
        QList<QString> names;
        for (const Category& c : ReadCategories(con, rs)) names.append(c.name);
        if (CategoryNameTaken(names, name))
            throw store::StoreError(store::errors::kDuplicate,
                                    QStringLiteral("A category named %1 already exists.").arg(name));
        con.Execute(store::stmt::InsertType(name));
        return con.LastInsertId();
    });
}

void DeleteCategory(store::Connection& con, const QString& name, qint64 typeId) {
    InTransaction(con, [&] {
        // Statement 9 deletes by name: with a second category of that name it would
        // delete both rows and leave the other's snippets without a category.
        QString rowsByName = store::stmt::DeleteTypeByName(name);
        rowsByName.replace(0, int(qstrlen("DELETE")), QStringLiteral("SELECT TypeID"));
        store::Recordset rs;
        int others = 0;
        for (rs.Open(rowsByName, &con); !rs.Eof(); rs.MoveNext())
            if (rs.Fields(0).toLongLong() != typeId) ++others;
        rs.Close();
        if (others > 0)
            throw store::StoreError(store::errors::kDuplicate,
                                    QStringLiteral("More than one category is named %1, and deleting one would "
                                                   "delete them all; nothing was deleted.")
                                        .arg(name));
        con.Execute(store::stmt::DeleteTypeByName(name));
        con.Execute(store::stmt::DeleteCodeOfType(typeId));
        return true;
    });
}

}  // namespace snippary
