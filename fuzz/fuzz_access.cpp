// Access files: any bytes, read as a snippet library and as a table list, give
// snippets or a refusal; never a crash or a hang.
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "transfer/access.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.mdb"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    try {
        transfer::ListAccessTables(path);
        transfer::ReadAccess(path, {}, QStringLiteral("Snippets"));
    } catch (const transfer::Error& e) {
        if (e.message.isEmpty()) std::abort();
    }
    return 0;
}
