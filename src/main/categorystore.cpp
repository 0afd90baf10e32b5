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

qint64 InsertCategory(store::Connection& con, const QString& name) {
    con.Execute(store::stmt::InsertType(name));
    return con.LastInsertId();
}

void DeleteCategory(store::Connection& con, const QString& name, qint64 typeId) {
    con.BeginTrans();
    try {
        con.Execute(store::stmt::DeleteTypeByName(name));
        con.Execute(store::stmt::DeleteCodeOfType(typeId));
        con.CommitTrans();
    } catch (...) {
        try {
            con.RollbackTrans();
        } catch (...) {
            // The first failure is the one worth reporting.
        }
        throw;
    }
}

}  // namespace snippary
