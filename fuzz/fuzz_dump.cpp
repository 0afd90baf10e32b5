// Dumps: any bytes give categories and snippets or a refusal; every snippet read
// belongs to a category the batch makes.
#include <QByteArray>
#include <cstdlib>

#include "transfer/dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const transfer::Batch batch = transfer::ReadDump(bytes);
        for (const transfer::Item& item : batch.items)
            if (!batch.categories.contains(item.category)) std::abort();
    } catch (const transfer::Error& e) {
        if (e.message.isEmpty()) std::abort();
    }
    return 0;
}
