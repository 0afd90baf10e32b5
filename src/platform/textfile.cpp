#include "platform/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/codepage.h"

namespace platform {

namespace {

ModuleText Refused(const QString& message) {
    ModuleText r;
    r.error = message;
    return r;
}

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

// CR or CR LF ends a line; a lone LF is part of its line.
QString Lines(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 32 + 2);
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (text.at(i) == u'\r') {
            out.append(QStringView(text).mid(start, i - start));
            out.append(u"\r\n");
            ++i;
            if (i < n && text.at(i) == u'\n') ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n) {
        out.append(QStringView(text).mid(start));
        out.append(u"\r\n");
    }
    return out;
}

}  // namespace

ModuleText ModuleTextFromBytes(const QByteArray& bytes) {
    if (bytes.contains('\0')) return Refused(QStringLiteral("The file is not a text file (it holds NUL bytes)."));
    const std::optional<QString> utf8 = DecodeStrictUtf8(bytes);
    ModuleText r;
    r.ok = true;
    r.content = Lines(utf8 ? *utf8 : DecodeWindows1252(bytes));
    return r;
}

ModuleText ReadModuleFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty()) return Refused(QStringLiteral("No file was chosen."));
    if (!info.exists()) return Refused(QStringLiteral("The file %1 does not exist.").arg(Shown(path)));
    if (info.isDir()) return Refused(QStringLiteral("%1 is a folder, not a file.").arg(Shown(path)));
    // A pipe would block the window until someone writes to it, a device may never end.
    if (!info.isFile()) return Refused(QStringLiteral("%1 is not a regular file.").arg(Shown(path)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Refused(QStringLiteral("The file %1 cannot be read: %2").arg(Shown(path), file.errorString()));
    // The size is asked of the open file: a device or a pipe reports none, so the
    // reading itself stops one byte past the limit.
    if (file.size() > MaxModuleBytes)
        return Refused(QStringLiteral("The file %1 is too large to be a module (more than 64 MB).").arg(Shown(path)));
    const QByteArray bytes = file.read(MaxModuleBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Refused(QStringLiteral("The file %1 cannot be read: %2").arg(Shown(path), file.errorString()));
    if (bytes.size() > MaxModuleBytes)
        return Refused(QStringLiteral("The file %1 is too large to be a module (more than 64 MB).").arg(Shown(path)));
    ModuleText r = ModuleTextFromBytes(bytes);
    if (!r.ok) r.error = QStringLiteral("The file %1 is not a text file (it holds NUL bytes).").arg(Shown(path));
    return r;
}

}  // namespace platform
