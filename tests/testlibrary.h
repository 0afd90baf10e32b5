// A library file for a test, opened the way the program opens one.
#pragma once

#include <QString>

#include "store/connectionstring.h"
#include "store/library.h"
#include "store/store.h"

namespace testsupport {

inline QString ConnectionText(const QString& path, const QString& password = QString()) {
    store::ConnectionString cs;
    cs.provider = store::ConnectionString::Jet40;
    cs.dataSource = path;
    cs.password = password;
    return cs.Build();
}

inline void OpenLibrary(store::Connection& con, const QString& path, const QString& password = QString()) {
    con.Open(ConnectionText(path, password));
}

// A new library at `path`, open on `con`.
inline void NewLibrary(store::Connection& con, const QString& path, const QString& password = QString()) {
    store::CreateLibrary(path, password, false);
    OpenLibrary(con, path, password);
}

}  // namespace testsupport
