#pragma once
// The category table as the lists use it: reading, adding and deleting.
#include <QList>
#include <QString>
#include <vector>

#include "store/operations.h"

namespace snippary {

using store::Category;
using store::CategoryNameTaken;
using store::DeleteCategory;
using store::InsertCategory;
using store::ReadCategories;

// The five rows at the top of the list are the library's own categories.
inline constexpr int PermanentCategoryCount = 5;
inline bool CanDeleteCategoryAt(int position) { return position >= PermanentCategoryCount; }

// Font sizes are kept in whole points, a half going to the even one (8.25 -> 8, 8.5 -> 8, 9.5 -> 10).
qint32 WholePoints(double points);

}  // namespace snippary
