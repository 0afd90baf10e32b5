// Colouring: any text is marked up without a crash and gives the very bytes of the
// plain sequence of replace-alls it is defined by; counting never goes beyond what fits.
#include <QString>
#include <cstdlib>

#include "export/colorline.h"
#include "export/colorline_detail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype cut = text.size() / 3;
    const QString a = text.left(cut * 2), b = text.mid(cut * 2);
    const qint32 n = exporting::CountStr(a, b);
    if (n < 0 || (!b.isEmpty() && n > a.size())) std::abort();
    for (const QString& t : {text, QStringLiteral("\r\n") + text})
        if (exporting::ColorLine(t) != exporting::detail::ColorLineReference(t)) std::abort();
    return 0;
}
