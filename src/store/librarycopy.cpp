#include "store/librarycopy.h"

#include <QDateTime>

#include "store/generaldate.h"
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
    qint64 count = 0;
    for (rs.Open(QStringLiteral("SELECT ID,TypeID,Name,Description,DateAdded,Source,Content FROM Code ORDER BY ID"),
                 &from);
         !rs.Eof(); rs.MoveNext(), ++count) {
        // The date goes in as statement 11 writes one: the general date text, read back the same.
        const QVariant date = rs.Fields(4);
        to.Execute(QStringLiteral("INSERT INTO Code (ID,TypeID,Name,Description,DateAdded,Source,Content) "
                                  "VALUES(%1,%2,%3,%4,%5,%6,%7)")
                       .arg(rs.Fields(0).toLongLong())
                       .arg(rs.Fields(1).toLongLong())
                       .arg(Value(rs.Fields(2)), Value(rs.Fields(3)),
                            date.isNull() ? QStringLiteral("NULL") : u'\'' + GeneralDate(date.toDateTime()) + u'\'',
                            Value(rs.Fields(5)), Value(rs.Fields(6))));
    }
    rs.Close();
    t.Commit();
    return count;
}

}  // namespace store
