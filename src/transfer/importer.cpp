#include "transfer/importer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include "store/generaldate.h"
#include "store/operations.h"
#include "store/store.h"
#include "transfer/dump.h"
#include "transfer/folder.h"
#include "transfer/snippetfile.h"

namespace transfer {

namespace {

// The longest file taken as a snippet file or a dump, as for a module.
constexpr qint64 kMaxDocument = 64LL * 1024 * 1024;

QByteArray ReadWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error{QStringLiteral("%1 cannot be read: %2").arg(QDir::toNativeSeparators(path), file.errorString())};
    QByteArray bytes = file.read(kMaxDocument + 1);
    if (bytes.size() > kMaxDocument)
        throw Error{QStringLiteral("%1 is larger than 64 MB.").arg(QDir::toNativeSeparators(path))};
    return bytes;
}

bool StartsLikeJsonObject(const QByteArray& head) {
    for (qsizetype i = head.startsWith("\xEF\xBB\xBF") ? 3 : 0; i < head.size(); ++i) {
        const char c = head[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '/' && i + 1 < head.size() && (head[i + 1] == '/' || head[i + 1] == '*')) return true;
        return c == '{';
    }
    return false;
}

void Merge(Batch& into, Batch&& from, const QString& source) {
    for (const QString& c : from.categories)
        if (!into.categories.contains(c)) into.categories << c;
    into.items += from.items;
    const QString prefix = QFileInfo(source).fileName() + QStringLiteral(": ");
    for (const QString& s : from.skipped) into.skipped << (QFileInfo(source).isDir() ? s : prefix + s);
    for (const QString& n : from.notes) into.notes << prefix + n;
}

QString Count(int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

}  // namespace

SourceKind DetectSource(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) return SourceKind::Folder;
    QFile file(path);
    if (!info.exists() || !file.open(QIODevice::ReadOnly)) return SourceKind::CodeFile;  // the reader says why
    const QByteArray head = file.read(4096);
    if (LooksLikeAccess(head)) return SourceKind::AccessFile;
    if (!StartsLikeJsonObject(head)) return SourceKind::CodeFile;
    file.close();
    return LooksLikeDump(ReadWhole(path)) ? SourceKind::Dump : SourceKind::SnippetFile;
}

Batch ReadSource(const QString& path, const ImportOptions& options, const CancelFlag* cancel) {
    const SourceKind kind = DetectSource(path);
    const QString suffix = QFileInfo(path).suffix().toLower();
    // Named as one, but not one: an error, rather than a binary file skipped.
    if (kind != SourceKind::AccessFile && QFileInfo(path).isFile() &&
        (suffix == QLatin1String("mdb") || suffix == QLatin1String("accdb")))
        throw Error{QStringLiteral("%1 is not an Access file.").arg(QDir::toNativeSeparators(path))};
    switch (kind) {
    case SourceKind::AccessFile:
        return ReadAccess(path, options.mapping, options.category, cancel);
    case SourceKind::Dump:
        return ReadDump(ReadWhole(path));
    case SourceKind::SnippetFile:
        try {
            return ReadSnippetFile(ReadWhole(path), options.category);
        } catch (const Error& e) {
            throw Error{QDir::toNativeSeparators(path) + QStringLiteral(" is ") + e.message};
        }
    case SourceKind::Folder:
    case SourceKind::CodeFile:
        break;
    }
    return ReadCodeFiles(path, options.category, cancel, options.onRead);
}

Batch ReadSources(const QStringList& sources, const ImportOptions& options, const CancelFlag* cancel) {
    if (!options.mapping.table.isEmpty() && sources.size() != 1)
        throw Error{QStringLiteral("--table takes one Access file as the source")};
    Batch all;
    for (const QString& source : sources) {
        CheckCancel(cancel);
        if (!options.mapping.table.isEmpty() && DetectSource(source) != SourceKind::AccessFile)
            throw Error{
                QStringLiteral("%1 is not an Access file, so it has no table %2.").arg(source, options.mapping.table)};
        Merge(all, ReadSource(source, options, cancel), source);
    }
    return all;
}

QString Summary::Line() const {
    QString line = QStringLiteral("Added %1").arg(Count(added, "snippet", "snippets"));
    if (categoriesAdded > 0) line += QStringLiteral(" and %1").arg(Count(categoriesAdded, "category", "categories"));
    if (skipped.isEmpty()) return line + u'.';
    QMap<QString, int> reasons;
    for (const QString& s : skipped) ++reasons[s.mid(s.lastIndexOf(QStringLiteral(": ")) + 2)];
    QStringList why;
    for (auto it = reasons.begin(); it != reasons.end(); ++it)
        why << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
    return line + QStringLiteral("; skipped %1 (%2).").arg(skipped.size()).arg(why.join(QStringLiteral(", ")));
}

Summary Import(store::Connection& con, const QStringList& sources, const ImportOptions& options, const QDateTime& now,
               const CancelFlag* cancel, const Progress& progress) {
    const Batch batch = ReadSources(sources, options, cancel);
    Summary summary;
    summary.skipped = batch.skipped;
    summary.notes = batch.notes;
    store::Transaction transaction(con);
    QMap<QString, qint64> ids;  // lower-case name -> TypeID
    for (const store::Category& c : store::ReadCategories(con)) ids.insert(c.name.toLower(), c.typeId);
    for (const QString& name : batch.categories) {
        if (ids.contains(name.toLower())) continue;
        ids.insert(name.toLower(), store::InsertCategoryIn(con, name));
        ++summary.categoriesAdded;
    }
    const int total = int(batch.items.size());
    for (int i = 0; i < total; ++i) {
        CheckCancel(cancel);
        const Item& item = batch.items[i];
        const qint64 id = store::InsertSnippet(
            con, {ids.value(item.category.toLower()), item.name, item.description,
                  store::GeneralDate(item.date.isValid() ? item.date : now), item.source, item.content});
        // A date the source held as Null stays Null.
        if (item.noDate) con.Execute(QStringLiteral("UPDATE Code SET DateAdded=Null WHERE ID=") + QString::number(id));
        ++summary.added;
        if (progress && (i % 64 == 0 || i + 1 == total)) progress(i + 1, total);
    }
    CheckCancel(cancel);
    transaction.Commit();
    return summary;
}

}  // namespace transfer
