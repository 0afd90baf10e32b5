#include "settings/inifile.h"

#include <QFile>
#include <limits>

#include "platform/atomicfile.h"
#include "platform/codepage.h"

namespace settings {

namespace {

// The private-profile read copies into a buffer of 256 characters, the last one
// for the terminating NUL.
constexpr qsizetype MaxValue = 255;

QString Cut(QString value) {
    if (value.size() > MaxValue) {
        qsizetype n = MaxValue;
        // Never keep half of a character outside the basic plane.
        if (value.at(n - 1).isHighSurrogate()) --n;
        value.truncate(n);
    }
    return value;
}

bool IsComment(QStringView trimmed) { return trimmed.startsWith(u';') || trimmed.startsWith(u'#'); }

// "[name]" with blanks allowed around the brackets and the name.
bool SectionName(const QString& line, QString* name) {
    const QStringView t = QStringView(line).trimmed();
    if (!t.startsWith(u'[')) return false;
    qsizetype close = t.indexOf(u']');
    if (close < 0) close = t.size();
    *name = t.mid(1, close - 1).trimmed().toString();
    return true;
}

// "key=value"; key and value read without the blanks around them.
bool KeyLine(const QString& line, QString* key, QString* value, qsizetype* equals = nullptr) {
    const QStringView t = QStringView(line).trimmed();
    if (t.isEmpty() || IsComment(t) || t.startsWith(u'[')) return false;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) return false;
    *key = QStringView(line).left(eq).trimmed().toString();
    if (value != nullptr) *value = QStringView(line).mid(eq + 1).trimmed().toString();
    if (equals != nullptr) *equals = eq;
    return !key->isEmpty();
}

bool Same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// What may be written after the equals sign: the platform call takes a C string,
// so the text ends at a NUL; a line break would end the line and smuggle in
// lines of its own, so it becomes a blank.
QString StorableValue(const QString& value) {
    QString v = value;
    const qsizetype nul = v.indexOf(QChar(0));
    if (nul >= 0) v.truncate(nul);
    v.replace(u'\r', u' ');
    v.replace(u'\n', u' ');
    return v;
}

// One digit-string cut to the value it stands for, rounded half to even.
std::optional<qint64> Magnitude(QStringView digits, QStringView fraction) {
    qint64 whole = 0;
    for (const QChar c : digits) {
        whole = whole * 10 + (c.unicode() - u'0');
        if (whole > (qint64(1) << 32)) return std::nullopt;  // beyond any 32-bit value
    }
    if (!fraction.isEmpty()) {
        const int first = fraction.at(0).unicode() - u'0';
        bool rest = false;
        for (const QChar c : fraction.mid(1))
            if (c != u'0') rest = true;
        if (first > 5 || (first == 5 && rest) || (first == 5 && !rest && (whole % 2) == 1)) ++whole;
    }
    return whole;
}

bool AllDigits(QStringView s) {
    for (const QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

}  // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray bytes = file.readAll();
    QString text;
    if (const std::optional<QString> utf8 = platform::DecodeStrictUtf8(bytes, &bom_)) {
        text = *utf8;
    } else {
        bom_ = false;
        ansi_ = true;
        text = platform::DecodeWindows1252(bytes);
    }
    if (text.isEmpty()) return;
    lines_ = text.split(u'\n');
    // The line break after the last line makes no line of its own.
    if (text.endsWith(u'\n')) lines_.removeLast();
    for (QString& line : lines_)
        if (line.endsWith(u'\r')) line.chop(1);
}

std::optional<QString> IniFile::Value(const QString& section, const QString& key) const {
    bool inside = false;
    QString name, k, v;
    for (const QString& line : lines_) {
        if (SectionName(line, &name)) {
            inside = Same(name, section.trimmed());
        } else if (inside && KeyLine(line, &k, &v) && Same(k, key.trimmed())) {
            return Cut(v);
        }
    }
    return std::nullopt;
}

void IniFile::SetValue(const QString& section, const QString& key, const QString& value) {
    const QString v = StorableValue(value);
    bool inside = false;
    qsizetype sectionEnd = -1;  // after the last non-blank line of the first matching section
    QString name, k;
    qsizetype eq = 0;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const QString& line = lines_.at(i);
        if (SectionName(line, &name)) {
            if (inside && sectionEnd >= 0) break;  // the first section ended without the key
            inside = Same(name, section.trimmed());
            if (inside) sectionEnd = i + 1;
            continue;
        }
        if (!inside) continue;
        if (KeyLine(line, &k, nullptr, &eq) && Same(k, key.trimmed())) {
            // The key keeps its spelling and the blanks before the equals sign.
            lines_[i] = line.left(eq + 1) + v;
            return;
        }
        if (!QStringView(line).trimmed().isEmpty()) sectionEnd = i + 1;
    }
    const QString entry = key.trimmed() + u'=' + v;
    if (sectionEnd >= 0) {
        lines_.insert(sectionEnd, entry);
        return;
    }
    if (!lines_.isEmpty() && !QStringView(lines_.last()).trimmed().isEmpty()) lines_.append(QString());
    lines_.append(u'[' + section.trimmed() + u']');
    lines_.append(entry);
}

bool IniFile::Save(QString* error) const {
    QString text;
    for (const QString& line : lines_) {
        text += line;
        text += u"\r\n";
    }
    QByteArray bytes;
    std::optional<QByteArray> ansi = ansi_ ? platform::EncodeWindows1252(text) : std::nullopt;
    if (ansi) {
        bytes = *ansi;
    } else {
        // A file that held only code-page text but now needs more becomes UTF-8.
        if (bom_) bytes = "\xEF\xBB\xBF";
        bytes += text.toUtf8();
    }
    return platform::WriteFileAtomically(path_, bytes, error);
}

QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultText,
                                const QString& file) {
    return IniFile(file).Value(section, key).value_or(Cut(defaultText));
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value, const QString& file) {
    IniFile ini(file);
    ini.SetValue(section, key, value);
    return ini.Save();
}

std::optional<qint32> ReadNumber(const QString& stored, bool allowSigned) {
    QStringView text(stored);
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0) text = text.left(nul);

    bool negative = false;
    if (allowSigned && text.startsWith(u'-')) {
        negative = true;
        text = text.mid(1);
        if (text.isEmpty()) return std::nullopt;
    }
    // The leading "0" makes an empty text read as 0 and ".5" as 0.5.
    const qsizetype point = text.indexOf(u'.');
    const QStringView digits = point < 0 ? text : text.left(point);
    const QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    if (!AllDigits(digits) || !AllDigits(fraction)) return std::nullopt;
    if (negative && digits.isEmpty() && fraction.isEmpty()) return std::nullopt;

    const std::optional<qint64> m = Magnitude(digits, fraction);
    if (!m) return std::nullopt;
    const qint64 value = negative ? -*m : *m;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max()) return std::nullopt;
    return static_cast<qint32>(value);
}

}  // namespace settings
