#include "store/library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/atomicfile.h"
#include "store/connectionstring.h"
#include "store/operations.h"
#include "store/pgengine.h"
#include "store/samples.h"
#include "store/sqliteengine.h"
#include "store/statements.h"
#include "store/store.h"

namespace store {

const char* const PermanentCategories[5] = {"Modules", "Classes", "API Declarations", "Functions", "Snippets"};

namespace {

void AddSamples(const QString& path, const QString& password);

void Fill(const QString& path, const QString& password, bool withSamples) {
    {
        const std::unique_ptr<sqlite::Database> db = sqlite::OpenFile(path, password, true, false);
        if (password.isEmpty()) db->Exec(QStringLiteral("PRAGMA page_size = 8192"));
        db->Exec(QStringLiteral("BEGIN"));
        db->Exec(QStringLiteral("PRAGMA application_id = %1").arg(sqlite::kApplicationId));
        db->Exec(QStringLiteral("PRAGMA user_version = %1").arg(sqlite::kSchemaVersion));
        int count = 0;
        const char* const* schema = sqlite::SchemaStatements(sqlite::kSchemaVersion, &count);
        for (int i = 0; i < count; ++i) db->Exec(QString::fromLatin1(schema[i]));
        for (const char* name : PermanentCategories) db->Exec(stmt::InsertType(QString::fromLatin1(name)));
        db->Exec(QStringLiteral("COMMIT"));
    }
    if (withSamples) AddSamples(path, password);
}

// Samples go in the way the window adds snippets: statement 11, on a connection.
void AddSamples(const QString& path, const QString& password) {
    const ConnectionString cs = ConnectionString::ForLibrary(path, password);
    Connection con;
    const SecretText text(cs.Build());
    con.Open(text.text);
    QHash<QString, qint64> typeIds;
    for (const Category& c : ReadCategories(con)) typeIds.insert(c.name, c.typeId);
    Transaction t(con);
    for (const SampleSnippet& s : SampleSnippets()) {
        if (!typeIds.contains(s.category)) typeIds.insert(s.category, InsertCategoryIn(con, s.category));
        InsertSnippet(con, {typeIds.value(s.category), s.name, s.description, s.dateAdded, s.source, s.content});
    }
    t.Commit();
}

}  // namespace

void CreateLibrary(const QString& path, const QString& password, bool withSamples) {
    if (pg::IsAddress(path)) {
        pg::CreateLibrary(path, password);
        if (withSamples) AddSamples(path, password);
        return;
    }
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        throw StoreError(errors::kExists, QStringLiteral("The file '%1' already exists.").arg(path));
    if (!target.absoluteDir().exists())
        throw StoreError(errors::kNoAccess,
                         QStringLiteral("The folder '%1' does not exist.").arg(target.absolutePath()));
    platform::RemoveLeftovers(target.absolutePath(), target.fileName());
    // Made under a temporary name beside the target and renamed when complete, so
    // a failure leaves nothing that looks like a library.
    QTemporaryFile temp(
        target.absoluteDir().filePath(platform::MakingPrefix(target.fileName()) + QStringLiteral("XXXXXX")));
    temp.setAutoRemove(true);
    if (!temp.open())
        throw StoreError(
            errors::kNoAccess,
            QStringLiteral("Cannot write in the folder '%1': %2").arg(target.absolutePath(), temp.errorString()));
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
        throw StoreError(errors::kNoAccess, QStringLiteral("Cannot create '%1': %2").arg(path, temp.errorString()));
    temp.setAutoRemove(false);
}

}  // namespace store
