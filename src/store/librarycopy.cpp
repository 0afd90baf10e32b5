#include "store/librarycopy.h"

#include "store/operations.h"
#include "store/store.h"

namespace store {

qint64 CopyLibrary(Connection& from, Connection& to) {
    Recordset rs;
    Transaction t(to);
    rs.Open(QStringLiteral("SELECT Count(*) FROM Code"), &to);
    const bool holdsSnippets = rs.Fields(0).toLongLong() > 0;
    rs.Close();
    if (holdsSnippets)
        throw StoreError(
            errors::kExists,
            QStringLiteral("The library '%1' already holds snippets; nothing was copied.").arg(to.DataSource()));
    to.Execute(QStringLiteral("DELETE FROM Types"));
    const std::vector<Category> categories = ReadCategories(from, rs);
    auto category = categories.begin();
    to.Load(QStringLiteral("Types"), {QStringLiteral("TypeID"), QStringLiteral("TypeName")}, [&](QVariantList& row) {
        if (category == categories.end()) return false;
        row = {category->typeId, category->name};
        ++category;
        return true;
    });
    rs.Open(QStringLiteral("SELECT ID,TypeID,Name,Description,DateAdded,Source,Content FROM Code ORDER BY ID"), &from);
    const QStringList columns{QStringLiteral("ID"),          QStringLiteral("TypeID"),    QStringLiteral("Name"),
                              QStringLiteral("Description"), QStringLiteral("DateAdded"), QStringLiteral("Source"),
                              QStringLiteral("Content")};
    const qint64 count = to.Load(QStringLiteral("Code"), columns, [&](QVariantList& row) {
        if (rs.Eof()) return false;
        row.clear();
        for (int i = 0; i < columns.size(); ++i) row << rs.Fields(i);
        rs.MoveNext();
        return true;
    });
    rs.Close();
    t.Commit();
    return count;
}

}  // namespace store
