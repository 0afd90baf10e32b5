// Module files: any bytes give content or a refusal; content never holds a NUL,
// and every CR in it starts a CR LF line end.
#include <QByteArray>
#include <cstdlib>

#include "platform/textfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const platform::ModuleText t = platform::ModuleTextFromBytes(bytes);
    if (!t.ok) {
        if (t.error.isEmpty()) std::abort();
        return 0;
    }
    if (t.content.contains(QChar(u'\0'))) std::abort();
    const QString& c = t.content;
    for (qsizetype i = 0; i < c.size(); ++i)
        if (c[i] == u'\r' && (i + 1 >= c.size() || c[i + 1] != u'\n')) std::abort();
    if (!bytes.isEmpty() && !c.isEmpty() && !c.endsWith(QLatin1String("\r\n"))) std::abort();
    return 0;
}
