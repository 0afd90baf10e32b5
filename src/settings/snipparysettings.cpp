#include "settings/snipparysettings.h"

#include <cmath>

#include "settings/inifile.h"

namespace settings {

namespace {

QString Text(const IniFile& ini, const char* key) {
    return ini.Value(QString::fromLatin1(Section), QString::fromLatin1(key)).value_or(QString());
}

std::optional<qint32> Number(const IniFile& ini, const char* key, bool allowSigned = false) {
    return ReadNumber(Text(ini, key), allowSigned);
}

}  // namespace

SnipparySettings ReadSettings(const QString& file) {
    const IniFile ini(file);
    SnipparySettings s;
    // A window left of or above the primary screen has a negative position.
    s.top = Number(ini, "Top", true);
    s.left = Number(ini, "Left", true);
    s.width = Number(ini, "Width");
    s.height = Number(ini, "Height");
    s.db = Text(ini, "DB");
    s.fontName = Text(ini, "FontName");
    s.tab = Number(ini, "Tab");
    s.fontSize = Number(ini, "FontSize");
    s.loadList = Number(ini, "LoadList");
    s.noChange = Number(ini, "NoChange");
    s.loadStartup = Number(ini, "LoadStartup");
    return s;
}

bool WriteSettings(const QString& file, const SettingsToWrite& v) {
    IniFile ini(file);
    const QString section = QString::fromLatin1(Section);
    const auto set = [&](const char* key, const QString& text) {
        ini.SetValue(section, QString::fromLatin1(key), text);
    };
    set("DB", v.db);
    set("Tab", QString::number(v.tab));
    set("FontName", v.fontName);
    set("FontSize", QString::number(v.fontSize));
    set("LoadStartup", QString::number(v.loadStartup));
    set("NoChange", QString::number(v.noChange));
    set("LoadList", QString::number(v.loadList));
    set("Top", SingleText(v.top));
    set("Left", SingleText(v.left));
    set("Width", SingleText(v.width));
    set("Height", SingleText(v.height));
    return ini.Save();
}

QString SingleText(double value) {
    const float single = static_cast<float>(value);
    if (!std::isfinite(single) || single == 0.0f) return QStringLiteral("0");
    // Seven significant digits, no trailing zeros, and the exponent form the
    // language writes for very large or very small values ("1.234568E+07").
    QString text = QString::number(static_cast<double>(single), 'g', 7);
    const qsizetype e = text.indexOf(u'e');
    if (e >= 0) {
        QString mantissa = text.left(e);
        QString exponent = text.mid(e + 1);
        const QChar sign = exponent.at(0);
        exponent = exponent.mid(1);
        while (exponent.size() < 2) exponent.prepend(u'0');
        text = mantissa + u'E' + sign + exponent;
    }
    return text;
}

}  // namespace settings
