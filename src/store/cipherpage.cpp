// The first page of an encrypted library, decrypted here rather than by the cipher
// engine: that page holds the schema, and the cipher engine's SQLite (3.15) has
// public bugs that a crafted schema reaches while it is parsed. The page is checked
// on the maintained engine before the cipher engine ever reads the file.
#include "store/cipherpage.h"

#include <QFile>
#include <cstring>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include "store/sqliteengine.h"
#include "store/store.h"

namespace store::sqlite {

namespace {

// The cipher engine's settings for the libraries this program makes (SQLCipher 3
// defaults with the page size of kCipherPageSize).
constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;
constexpr int kIvBytes = 16;
constexpr int kHmacBytes = 20;
constexpr int kReserveBytes = 48;  // IV and HMAC, rounded up to whole AES blocks
constexpr int kKdfIterations = 64000;
constexpr int kHmacKdfIterations = 2;

[[noreturn]] void BadPassword() { throw StoreError(errors::kBadPassword, QStringLiteral("Not a valid password.")); }

}  // namespace

QByteArray DecryptedSchemaPage(const QString& path, const QByteArray& password, QByteArray* rawKey) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw StoreError(errors::kNoAccess,
                         QStringLiteral("The file '%1' cannot be opened: %2").arg(path, f.errorString()));
    const QByteArray page = f.read(kCipherPageSize);
    if (page.size() != kCipherPageSize) BadPassword();
    const auto* raw = reinterpret_cast<const unsigned char*>(page.constData());

    unsigned char key[kKeyBytes], hmacKey[kKeyBytes], hmacSalt[kSaltBytes];
    if (PKCS5_PBKDF2_HMAC_SHA1(password.constData(), int(password.size()), raw, kSaltBytes, kKdfIterations, kKeyBytes,
                               key) != 1)
        BadPassword();
    for (int i = 0; i < kSaltBytes; ++i) hmacSalt[i] = raw[i] ^ 0x3a;
    PKCS5_PBKDF2_HMAC_SHA1(reinterpret_cast<const char*>(key), kKeyBytes, hmacSalt, kSaltBytes, kHmacKdfIterations,
                           kKeyBytes, hmacKey);

    // The page's own HMAC covers the encrypted bytes, the IV and the page number: a
    // wrong password (or a changed page) stops here.
    const int dataBytes = kCipherPageSize - kSaltBytes - kReserveBytes;
    const unsigned char* data = raw + kSaltBytes;
    const unsigned char* iv = data + dataBytes;
    const quint32 pageNumber = 1;  // little-endian, as the engine hashes it on this machine
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int macBytes = 0;
    QByteArray covered(reinterpret_cast<const char*>(data), dataBytes + kIvBytes);
    covered.append(reinterpret_cast<const char*>(&pageNumber), sizeof pageNumber);
    const bool hashed =
        HMAC(EVP_sha1(), hmacKey, kKeyBytes, reinterpret_cast<const unsigned char*>(covered.constData()),
             size_t(covered.size()), mac, &macBytes) != nullptr;
    OPENSSL_cleanse(hmacKey, sizeof hmacKey);
    if (!hashed || macBytes != kHmacBytes || CRYPTO_memcmp(mac, iv + kIvBytes, kHmacBytes) != 0) {
        OPENSSL_cleanse(key, sizeof key);
        BadPassword();
    }

    QByteArray plain(kCipherPageSize, '\0');
    auto* out = reinterpret_cast<unsigned char*>(plain.data());
    std::memcpy(out, "SQLite format 3", 16);
    EVP_CIPHER_CTX* c = EVP_CIPHER_CTX_new();
    int n1 = 0, n2 = 0;
    const bool decrypted = c != nullptr && EVP_DecryptInit_ex(c, EVP_aes_256_cbc(), nullptr, key, iv) == 1 &&
                           EVP_CIPHER_CTX_set_padding(c, 0) == 1 &&
                           EVP_DecryptUpdate(c, out + kSaltBytes, &n1, data, dataBytes) == 1 &&
                           EVP_DecryptFinal_ex(c, out + kSaltBytes + n1, &n2) == 1 && n1 + n2 == dataBytes;
    EVP_CIPHER_CTX_free(c);
    if (decrypted) *rawKey = "x'" + QByteArray(reinterpret_cast<const char*>(key), kKeyBytes).toHex() + "'";
    OPENSSL_cleanse(key, sizeof key);
    if (!decrypted) BadPassword();

    return plain;
}

namespace {

quint32 Big(const unsigned char* p, int n) {
    quint32 v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | p[i];
    return v;
}

// A varint of the file format at p[*at], within `end`; false when it runs over.
bool Varint(const unsigned char* p, int end, int* at, quint64* value) {
    quint64 v = 0;
    for (int i = 0; i < 9; ++i) {
        if (*at >= end) return false;
        const unsigned char c = p[(*at)++];
        if (i == 8) {
            *value = v << 8 | c;
            return true;
        }
        v = v << 7 | (c & 0x7f);
        if ((c & 0x80) == 0) {
            *value = v;
            return true;
        }
    }
    return false;
}

}  // namespace

SchemaPage ReadSchemaPage(const QByteArray& bytes, const QString& path) {
    auto refuse = [&path](const char* why) -> SchemaPage {
        throw StoreError(errors::kForeignSchema,
                         QStringLiteral("'%1' is not opened: its schema is not that of a snippet library (%2).")
                             .arg(path, QLatin1String(why)));
    };
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const int size = int(bytes.size());
    if (size < 512) return refuse("no first page");
    const int reserved = p[20];
    const int usable = size - reserved;
    SchemaPage out;
    out.userVersion = qint32(Big(p + 60, 4));
    out.applicationId = qint32(Big(p + 68, 4));
    const int head = 100;  // the page's own header follows the file's
    if (usable <= head + 8 || p[head] != 0x0D) return refuse("the schema spans more than one page");
    const int cells = int(Big(p + head + 3, 2));
    const int maxLocal = usable - 35;  // larger records continue on other pages
    for (int c = 0; c < cells; ++c) {
        const int pointer = head + 8 + 2 * c;
        if (pointer + 2 > usable) return refuse("damaged cell list");
        int at = int(Big(p + pointer, 2));
        quint64 payload = 0, rowid = 0, headerBytes = 0;
        if (at < head + 8 || !Varint(p, usable, &at, &payload) || !Varint(p, usable, &at, &rowid))
            return refuse("damaged cell");
        if (payload > quint64(maxLocal) || at + int(payload) > usable) return refuse("a schema row spills over");
        const int recordStart = at, recordEnd = at + int(payload);
        if (!Varint(p, recordEnd, &at, &headerBytes) || headerBytes > payload) return refuse("damaged record");
        int body = recordStart + int(headerBytes);
        QList<QByteArray> fields;
        while (at < recordStart + int(headerBytes)) {
            quint64 type = 0;
            if (!Varint(p, recordStart + int(headerBytes), &at, &type)) return refuse("damaged record");
            static const int kIntBytes[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
            quint64 n = type >= 12 ? (type - 12) / 2 : type < 10 ? quint64(kIntBytes[type]) : 0;
            if (type == 10 || type == 11 || n > quint64(recordEnd - body)) return refuse("damaged record");
            fields.append(type >= 13 && type % 2 == 1 ? QByteArray(reinterpret_cast<const char*>(p + body), int(n))
                                                      : QByteArray());
            body += int(n);
        }
        if (fields.size() != 5) return refuse("a schema row of another shape");
        out.rows.push_back({fields[0], fields[1], fields[2], fields[4]});
    }
    return out;
}

}  // namespace store::sqlite
