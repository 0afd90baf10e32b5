#pragma once
// The eleven values of section "Snippary" of the settings file.
#include <QString>
#include <optional>

namespace settings {

inline constexpr const char* Section = "Snippary";

// What the settings file holds, as read at start-up. A number that was absent
// reads as 0; one that failed to convert is nullopt (its target keeps its value).
struct SnipparySettings {
    std::optional<qint32> top, left, width, height;
    QString db;
    QString fontName;
    std::optional<qint32> tab, fontSize, loadList, noChange, loadStartup;
};

SnipparySettings ReadSettings(const QString& file);

// The values written at shut-down, in the order DB, Tab, FontName, FontSize,
// LoadStartup, NoChange, LoadList, Top, Left, Width, Height. Returns false when
// the file could not be written.
struct SettingsToWrite {
    QString db;
    qint32 tab = 0;
    QString fontName;
    qint32 fontSize = 0;
    qint32 loadStartup = 0, noChange = 0, loadList = 0;
    double top = 0, left = 0, width = 0, height = 0;  // twips, written as single-precision texts
};
bool WriteSettings(const QString& file, const SettingsToWrite& values);

// A twips value as the settings write it: the text of a single-precision number
// (whole twips give no decimal point).
QString SingleText(double value);

}  // namespace settings
