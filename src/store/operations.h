#pragma once
// Every change of a library, in one place: the window, the command line and the
// bulk writers call these, so a rule about what a change must check is kept once.
#include <QList>
#include <QString>
#include <vector>

#include "store/store.h"

namespace store {

// One transaction for as long as it lives: begun at construction, rolled back at
// destruction unless Commit() succeeded, so an exception anywhere undoes it all.
class Transaction {
public:
    explicit Transaction(Connection& con);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    Connection& con_;
    bool open_ = true;
};

struct Category {
    qint64 typeId = 0;
    QString name;
};

// Statement 1, in TypeID order.
std::vector<Category> ReadCategories(Connection& con, Recordset& rs);
std::vector<Category> ReadCategories(Connection& con);

// True when `names` already holds `name`, ignoring letter case.
bool CategoryNameTaken(const QList<QString>& names, const QString& name);

// Statement 8 and the new row's TypeID, in one transaction that first refuses a
// name the library already holds (ignoring case): another window or program may
// have added it since the caller's list was filled.
qint64 InsertCategory(Connection& con, const QString& name);
// The same inside the caller's transaction, for writers that add many at once.
qint64 InsertCategoryIn(Connection& con, const QString& name);

// Statements 9 and 10 in one transaction: either the category and all its
// snippets are gone, or nothing changed. Refused when another category has the
// same name, since statement 9 would delete it too.
void DeleteCategory(Connection& con, const QString& name, qint64 typeId);

struct NewSnippet {
    qint64 typeId = 0;
    QString name;
    QString description;
    QString dateText;  // the general date text the library stores
    QString source;
    QString content;  // store form (CR LF line ends)
};

// Statement 11 inside the caller's transaction, for writers that add many at once.
// The ID is the row this insert created; the stored content is read back and any
// difference is an error, so nothing is kept that is not exactly what was given.
qint64 InsertSnippet(Connection& con, const NewSnippet& snippet);

// InsertSnippet in a transaction of its own.
qint64 AddSnippet(Connection& con, const NewSnippet& snippet);

// Statements 4 (read back), 5, 6 and 7 on one snippet, each in its own
// transaction. A snippet that is no longer there is reported with
// errors::kDeleted and nothing is written.
// With `loaded` (the content as the caller read it), a snippet someone else has
// changed since is not overwritten: errors::kChanged, nothing written.
void SaveContent(Connection& con, qint64 id, const QString& content, const QString* loaded = nullptr);
void ChangeDescription(Connection& con, qint64 id, const QString& description);
void ChangeSource(Connection& con, qint64 id, const QString& source);
void DeleteSnippet(Connection& con, qint64 id);

}  // namespace store
