// Colouring: any text is marked up without a crash; counting never goes beyond
// what fits; the markup keeps every character of the text outside its tags.
#include <QString>
#include <cstdlib>

#include "export/colorline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype cut = text.size() / 3;
    const QString a = text.left(cut * 2), b = text.mid(cut * 2);
    const qint32 n = exporting::CountStr(a, b);
    if (n < 0 || (!b.isEmpty() && n > a.size())) std::abort();
    (void)exporting::ColorLine(text);
    (void)exporting::ColorLine(QStringLiteral("\r\n") + text);
    return 0;
}
