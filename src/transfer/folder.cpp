#include "transfer/folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

#include "platform/textfile.h"

namespace transfer {

namespace {

void AddFile(Batch& batch, const QString& file, const QString& shown, const QString& other) {
    const platform::ModuleText text = platform::ReadModuleFile(file);
    if (!text.ok) {
        // The reader's message names the file; the list names it once, by its relative path.
        const QString why = text.error.contains(QLatin1String("NUL"))         ? QStringLiteral("a binary file")
                            : text.error.contains(QLatin1String("too large")) ? QStringLiteral("larger than 64 MB")
                                                                              : text.error;
        batch.skipped << shown + QStringLiteral(": ") + why;
        return;
    }
    Item item;
    item.name = QFileInfo(file).fileName();
    item.category = CategoryForFile(item.name, other);
    item.source = shown;
    item.content = text.content;
    if (!batch.categories.contains(item.category)) batch.categories << item.category;
    batch.items << item;
}

}  // namespace

QString CategoryForFile(const QString& fileName, const QString& other) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("bas")) return QStringLiteral("Modules");
    if (suffix == QLatin1String("cls")) return QStringLiteral("Classes");
    return other;
}

Batch ReadCodeFiles(const QString& path, const QString& otherCategory, const CancelFlag* cancel,
                    const std::function<void(int)>& onRead) {
    Batch batch;
    const QFileInfo top(path);
    if (!top.exists()) throw Error{QStringLiteral("%1 does not exist.").arg(QDir::toNativeSeparators(path))};
    if (!top.isDir()) {
        AddFile(batch, path, top.fileName(), otherCategory);
        return batch;
    }
    const QString root = top.canonicalFilePath();
    const QDir base(root);
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        CheckCancel(cancel);
        const QString file = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink()) {
            const QString target = info.canonicalFilePath();
            if (target.isEmpty() || !(target + u'/').startsWith(root + u'/') || target == root) {
                batch.skipped << base.relativeFilePath(file) + QStringLiteral(": a link out of the folder");
                continue;
            }
            if (info.isDir()) continue;  // its files are reached where they lie
        } else if (info.isDir()) {
            continue;
        }
        files << file;
    }
    std::sort(files.begin(), files.end());
    int read = 0;
    for (const QString& file : files) {
        if (onRead) onRead(read++);
        CheckCancel(cancel);
        AddFile(batch, file, base.relativeFilePath(file), otherCategory);
    }
    return batch;
}

}  // namespace transfer
