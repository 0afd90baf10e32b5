#include "store/library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <fcntl.h>
#include <sqlcipher/sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include "store/connectionstring.h"
#include "store/samples.h"
#include "store/sqliteengine.h"
#include "store/statements.h"
#include "store/store.h"

namespace store {

const char* const PermanentCategories[5] = {"Modules", "Classes", "API Declarations", "Functions", "Snippets"};

namespace {

// qDisplay keeps Content last, so listing reads the small columns first; an inner
// join, so a snippet whose category is gone is not listed.
const char* const kSchema =
    "CREATE TABLE Types(TypeID INTEGER PRIMARY KEY AUTOINCREMENT, TypeName TEXT NOT NULL);"
    "CREATE TABLE Code(ID INTEGER PRIMARY KEY AUTOINCREMENT, TypeID INTEGER NOT NULL, Name TEXT NOT NULL,"
    " Description TEXT, DateAdded TEXT, Source TEXT, Content TEXT);"
    "CREATE INDEX CodeByType ON Code(TypeID);"
    "CREATE VIEW qDisplay AS SELECT Code.ID AS ID, Code.TypeID AS TypeID, Code.Name AS Name,"
    " Code.Description AS Description, Code.DateAdded AS DateAdded, Code.Source AS Source,"
    " Types.TypeName AS TypeName, Code.Content AS Content"
    " FROM Code INNER JOIN Types ON Code.TypeID = Types.TypeID;";

void Fill(const QString& path, const QString& password, bool withSamples) {
    sqlite3* db = sqlite::OpenFile(path, password, true, false);
    try {
        if (password.isEmpty()) sqlite::Exec(db, QStringLiteral("PRAGMA page_size = 8192"));
        sqlite::Exec(db, QStringLiteral("BEGIN"));
        sqlite::Exec(db, QStringLiteral("PRAGMA application_id = %1").arg(sqlite::kApplicationId));
        sqlite::Exec(db, QStringLiteral("PRAGMA user_version = %1").arg(sqlite::kSchemaVersion));
        sqlite::Exec(db, QString::fromLatin1(kSchema));
        for (const char* name : PermanentCategories) sqlite::Exec(db, stmt::InsertType(QString::fromLatin1(name)));
        sqlite::Exec(db, QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite::CloseFile(db);
        throw;
    }
    sqlite::CloseFile(db);
    if (!withSamples) return;

    // Samples go in the way the window adds snippets: statement 11, on a connection.
    ConnectionString cs;
    cs.dataSource = path;
    cs.password = password;
    Connection con;
    const SecretText text(cs.Build());
    con.Open(text.text);
    QHash<QString, qint64> typeIds;
    Recordset rs;
    rs.Open(stmt::SelectTypes(), &con);
    for (; !rs.Eof(); rs.MoveNext()) typeIds.insert(rs.Fields(QStringLiteral("TypeName")).toString(),
                                                    rs.Fields(QStringLiteral("TypeID")).toLongLong());
    rs.Close();
    con.BeginTrans();
    try {
        for (const SampleSnippet& s : SampleSnippets()) {
            if (!typeIds.contains(s.category)) {
                con.Execute(stmt::InsertType(s.category));
                typeIds.insert(s.category, con.LastInsertId());
            }
            con.Execute(stmt::InsertCode(typeIds.value(s.category), s.name, s.description, s.dateAdded,
                                         s.source, s.content));
        }
        con.CommitTrans();
    } catch (...) {
        con.RollbackTrans();
        throw;
    }
}

// A library in the making is named ".NAME.new-XXXXXX" beside its target, with
// SQLite's "-journal" beside it while a transaction runs. Its maker holds a lock
// on it, so what a killed maker left is told from the work of one still running.
QString MakingPrefix(const QFileInfo& target) { return QStringLiteral(".%1.new-").arg(target.fileName()); }

void RemoveLeftovers(const QFileInfo& target) {
    const QDir folder = target.absoluteDir();
    const QString prefix = MakingPrefix(target);
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(prefix) || name.size() != prefix.size() + 6) continue;
        const QString leftover = folder.filePath(name);
        const int fd = ::open(QFile::encodeName(leftover).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            QFile::remove(leftover + QStringLiteral("-journal"));
            QFile::remove(leftover);
        }
        ::close(fd);
    }
}

}  // namespace

void CreateLibrary(const QString& path, const QString& password, bool withSamples) {
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        throw StoreError(errors::kExists, QStringLiteral("The file '%1' already exists.").arg(path));
    if (!target.absoluteDir().exists())
        throw StoreError(errors::kNoAccess,
                         QStringLiteral("The folder '%1' does not exist.").arg(target.absolutePath()));
    RemoveLeftovers(target);
    // Made under a temporary name beside the target and renamed when complete, so
    // a failure leaves nothing that looks like a library.
    QTemporaryFile temp(target.absoluteDir().filePath(MakingPrefix(target) + QStringLiteral("XXXXXX")));
    temp.setAutoRemove(true);
    if (!temp.open())
        throw StoreError(errors::kNoAccess,
                         QStringLiteral("Cannot write in the folder '%1': %2").arg(target.absolutePath(),
                                                                                 temp.errorString()));
    const QString tempPath = temp.fileName();
    // Held on a descriptor of its own until the file has its final name.
    const int lock = ::open(QFile::encodeName(tempPath).constData(), O_RDONLY | O_CLOEXEC);
    if (lock >= 0) (void)::flock(lock, LOCK_EX);
    const auto unlock = qScopeGuard([lock] {
        if (lock >= 0) ::close(lock);
    });
    temp.close();
    try {
        Fill(tempPath, password, withSamples);
    } catch (...) {
        QFile::remove(tempPath + QStringLiteral("-journal"));
        throw;
    }
    if (!temp.rename(path))
        throw StoreError(errors::kNoAccess,
                         QStringLiteral("Cannot create '%1': %2").arg(path, temp.errorString()));
    temp.setAutoRemove(false);
}

}  // namespace store
