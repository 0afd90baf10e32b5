// Connection strings: any text either parses or is refused with a store error,
// and what parses builds a string that reads back the same.
#include <QString>
#include <cstdlib>

#include "store/connectionstring.h"
#include "store/store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const store::ConnectionString cs = store::ConnectionString::Parse(text);
        const store::ConnectionString back = store::ConnectionString::Parse(cs.Build());
        if (back.dataSource != cs.dataSource || back.password != cs.password || back.provider != cs.provider)
            std::abort();
    } catch (const store::StoreError&) {
    }
    return 0;
}
