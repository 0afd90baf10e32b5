// A library file for a test, opened the way the program opens one.
#pragma once

#include <QString>
#include <QTemporaryDir>

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

// A new library in a folder of its own, gone with it; `con` is open on it, as
// another program on the same file would be.
class TempLibrary {
public:
    explicit TempLibrary(const QString& password = QString()) : path(dir.filePath(QStringLiteral("library.snip"))) {
        NewLibrary(con, path, password);
    }
    // The first value of a query's first row ("<none>" for no row).
    QString Value(const QString& query) {
        store::Recordset rs;
        rs.Open(query, &con);
        return rs.Eof() ? QStringLiteral("<none>") : rs.Fields(0).toString();
    }

    QTemporaryDir dir;
    QString path;
    store::Connection con;
};

}  // namespace testsupport
