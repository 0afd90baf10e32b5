// A library file for a test, opened the way the program opens one.
#pragma once

#include <QTemporaryDir>
#include <libpq-fe.h>
#include <unistd.h>

#include "store/connectionstring.h"
#include "store/library.h"
#include "store/store.h"

namespace testsupport {

inline QString ConnectionText(const QString& path, const QString& password = QString()) {
    return store::ConnectionString::ForLibrary(path, password).Build();
}

// A database on the tests' own server (tests/support/pgserver), reached through its socket's folder.
inline QString ServerAddress(const QString& database, const QString& user = QStringLiteral("snippary")) {
    return QString("postgresql://%1@/%2?host=%3").arg(user, database, qEnvironmentVariable("SNIPPARY_TEST_PGHOST"));
}

// Runs `sql` on the server as its superuser; the first value of the result.
inline QString ServerAdmin(const QString& sql, const QString& database = QStringLiteral("postgres")) {
    PGconn* c = PQconnectdb(ServerAddress(database).toUtf8());
    PGresult* r = PQexec(c, sql.toUtf8());
    const ExecStatusType st = PQresultStatus(r);
    const QString value = PQntuples(r) > 0 ? QString::fromUtf8(PQgetvalue(r, 0, 0)) : QString();
    const QString error = QString::fromUtf8(PQerrorMessage(c));
    PQclear(r);
    PQfinish(c);
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) qFatal("server: %s: %s", qPrintable(sql), qPrintable(error));
    return value;
}

inline QString DatabaseOf(const QString& address) { return address.section(u'/', 3).section(u'?', 0, 0); }

// The members the tests' server knows: ann, whose password ('right-one') the server asks
// for, and reader, who is trusted.
inline void ServerMembers() {
    ServerAdmin(
        "DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'ann') THEN "
        "CREATE ROLE ann LOGIN PASSWORD 'right-one'; CREATE ROLE reader LOGIN; END IF; END $$");
}

// The server ends every session on the database of `address`, as a restart would.
inline void DropSessions(const QString& address) {
    ServerAdmin("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE datname = '" +
                DatabaseOf(address) + "' AND pid <> pg_backend_pid()");
}

// A new empty database on the tests' server: its address.
inline QString NewServerDatabase() {
    static int n = 0;
    const QString name = QStringLiteral("t%1_%2").arg(getpid()).arg(++n);
    ServerAdmin(QStringLiteral("CREATE DATABASE ") + name);
    return ServerAddress(name);
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
