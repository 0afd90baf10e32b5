#include "store/librarycopy.h"

#include "store/operations.h"
#include "store/statements.h"
#include "store/store.h"

namespace store {

namespace {

QString Value(const QVariant& v) {
    return v.isNull() ? QStringLiteral("NULL") : u'\'' + SqlQuote(v.toString()) + u'\'';
}

}  // namespace

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
    for (const Category& c : ReadCategories(from, rs))
        to.Execute(QStringLiteral("INSERT INTO Types(TypeID,TypeName) VALUES(%1,%2)").arg(c.typeId).arg(Value(c.name)));
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
