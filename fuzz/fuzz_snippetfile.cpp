// Editor snippet files: any bytes give snippets or a refusal naming a line and a
// column; what is read, written out again and read back, is the same.
#include <QByteArray>
#include <cstdlib>

#include "transfer/snippetfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    transfer::Batch batch;
    try {
        batch = transfer::ReadSnippetFile(bytes, QStringLiteral("Snippets"));
    } catch (const transfer::Error& e) {
        if (e.message.isEmpty()) std::abort();
        return 0;
    }
    const transfer::Batch again =
        transfer::ReadSnippetFile(transfer::WriteSnippetFile(batch.items), QStringLiteral("Snippets"));
    if (again.items.size() != batch.items.size()) std::abort();
    for (qsizetype i = 0; i < batch.items.size(); ++i)
        if (again.items[i].content != batch.items[i].content) std::abort();
    return 0;
}
