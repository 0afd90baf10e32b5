#pragma once
// The Western single-byte code page of older module files and settings files.
#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

// Every byte maps to one character: 0x80-0x9F to the code page's typographic
// characters, its five unassigned bytes to the control characters of the same
// number, all others to the same-numbered Latin-1 character.
QString DecodeWindows1252(const QByteArray& bytes);
// The reverse; nullopt when a character has no byte in the code page.
std::optional<QByteArray> EncodeWindows1252(const QString& text);

// Decodes UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is
// dropped and reported through hadBom); nullopt otherwise.
std::optional<QString> DecodeStrictUtf8(const QByteArray& bytes, bool* hadBom = nullptr);

}  // namespace platform
