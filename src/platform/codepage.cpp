#include "platform/codepage.h"

#include <QStringDecoder>
#include <array>

namespace platform {

namespace {

// 0x80 to 0x9F; the unassigned bytes keep their own number.
constexpr std::array<char16_t, 32> High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QString DecodeWindows1252(const QByteArray& bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* p = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *p++ = (b >= 0x80 && b <= 0x9F) ? QChar(High[b - 0x80]) : QChar(b);
    }
    return out;
}

std::optional<QByteArray> EncodeWindows1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        bool found = false;
        for (size_t i = 0; i < High.size(); ++i) {
            if (High[i] == u) {
                out.append(static_cast<char>(0x80 + i));
                found = true;
                break;
            }
        }
        if (!found) return std::nullopt;
    }
    return out;
}

std::optional<QString> DecodeStrictUtf8(const QByteArray& bytes, bool* hadBom) {
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    if (hadBom != nullptr) *hadBom = bom;
    // The decoder is told to keep marks: the first one is dropped here, any other
    // is content.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(QByteArrayView(bytes.constData() + (bom ? 3 : 0), bytes.size() - (bom ? 3 : 0)));
    if (decoder.hasError()) return std::nullopt;
    return text;
}

}  // namespace platform
