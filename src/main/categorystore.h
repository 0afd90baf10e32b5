#pragma once
// The category table as the lists use it: reading, adding and deleting.
#include <QList>
#include <QString>
#include <vector>

namespace store { class Connection; class Recordset; }

namespace snippary {

struct Category {
    qint64 typeId = 0;
    QString name;
};

// The five rows at the top of the list are the library's own categories.
inline constexpr int PermanentCategoryCount = 5;
inline bool CanDeleteCategoryAt(int position) { return position >= PermanentCategoryCount; }

// Statement 1, in TypeID order. Throws store::StoreError.
std::vector<Category> ReadCategories(store::Connection& con, store::Recordset& rs);

// True when `names` already holds `name`, ignoring letter case.
bool CategoryNameTaken(const QList<QString>& names, const QString& name);

// Statement 8, then the new row's TypeID from the same connection, in one
// transaction that first refuses a name the library already holds (ignoring case).
// Throws store::StoreError; nothing is inserted then.
qint64 InsertCategory(store::Connection& con, const QString& name);

// Statements 9 and 10 in one transaction: either the category and all its
// snippets are gone, or nothing changed. Refused when another category has the
// same name, since statement 9 would delete it too. Throws store::StoreError.
void DeleteCategory(store::Connection& con, const QString& name, qint64 typeId);

// Font sizes are kept in whole points, a half going to the even one (8.25 -> 8, 8.5 -> 8, 9.5 -> 10).
qint32 WholePoints(double points);

}  // namespace snippary
