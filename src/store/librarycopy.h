#pragma once
// A whole library into another, of any kind: how a team moves its file library to
// a server and how a member takes a copy home.
#include <QtGlobal>

namespace store {

class Connection;

// Copies the categories (with their TypeIDs, in order) and the snippets (with their
// IDs, dates and texts exactly) of `from` into `to`, in one transaction of `to`,
// replacing the categories a new library starts with. Refuses a `to` that holds
// snippets (errors::kExists). Returns the number of snippets copied.
qint64 CopyLibrary(Connection& from, Connection& to);

}  // namespace store
