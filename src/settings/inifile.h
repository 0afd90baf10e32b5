#pragma once
// INI files with private-profile behaviour: sections and keys matched without
// regard to case, values read back cut at 255 characters, CR LF line ends, UTF-8,
// every other section, key and line of the file kept as it was.
#include <QString>
#include <QStringList>
#include <optional>

namespace settings {

class IniFile {
public:
    // Loads `path`; a missing or unreadable file gives an empty document.
    explicit IniFile(QString path);

    // The value as the private-profile read gives it (at most 255 characters), or
    // nullopt when the section or key is absent.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    // Sets or adds the key (adding the section at the end when needed).
    void SetValue(const QString& section, const QString& key, const QString& value);
    // Writes the whole file atomically (temporary file + rename), creating its
    // folder. Returns false (and an error text) when it cannot be written.
    bool Save(QString* error = nullptr) const;

    const QString& Path() const { return path_; }

private:
    QString path_;
    QStringList lines_;
    bool bom_ = false;   // the file began with a UTF-8 byte-order mark: it keeps it
    bool ansi_ = false;  // the file was not UTF-8: it is written back in its code page
};

// One-shot forms of the platform calls the design names.
QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultText,
                                const QString& file);
bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value, const QString& file);

// Reads a stored number the way the settings do: "0" is put before the text up to
// its first NUL, then it is converted to a 32-bit integer, a fraction rounded half
// to even. nullopt when the text does not convert (the target then keeps its
// value). With allowSigned, a leading minus (a window left of the primary screen)
// is accepted as well.
// Accepted: digits with an optional fraction after a point ("12", "12.", "12.5",
// ".5"), nothing around them; a point, never the locale's separator, because the
// file moves between locales. Everything else (blanks, a plus, hex, an exponent,
// a value beyond 32 bits) does not convert.
std::optional<qint32> ReadNumber(const QString& stored, bool allowSigned = false);

}  // namespace settings
