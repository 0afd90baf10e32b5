#pragma once
// Stored texts are UTF-8. Qt's own decoding drops a byte-order mark at the start,
// which would change a snippet that begins with one; this keeps every character.
#include <QString>

namespace store {

inline QString FromStoredUtf8(const char* data, qsizetype size) {
    QString text;
    while (size >= 3 && data[0] == '\xEF' && data[1] == '\xBB' && data[2] == '\xBF') {
        text += QChar(0xFEFF);
        data += 3;
        size -= 3;
    }
    return text + QString::fromUtf8(data, size);
}

}  // namespace store
