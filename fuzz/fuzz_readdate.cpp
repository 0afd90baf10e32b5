// Typed dates: any text either reads as a date or not; a date read back from its
// general date text is the same moment.
#include <QLocale>
#include <cstdlib>

#include "store/generaldate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Day periods in words, other digits, times written like dates.
    static const QLocale locales[] = {QLocale("en_US"), QLocale("de_DE"), QLocale("es_US"),
                                      QLocale("fa_IR"), QLocale("as_IN"), QLocale("da_DK")};
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QLocale& l : locales) {
        const QDateTime d = store::ReadDate(text, l);
        if (!d.isValid()) continue;
        // Seconds survive, milliseconds are never typed.
        if (d.date().year() < 100 || d.date().year() > 9999) continue;
        if (store::ReadDate(store::GeneralDate(d, l), l) != d) std::abort();
    }
    return 0;
}
