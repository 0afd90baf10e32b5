#pragma once
// The one registry value of the program, kept in a small per-user INI file
// written like every other file of ours: whole or not at all.
#include <QString>

namespace settings {

enum Hive { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };

inline constexpr const char* RegistryKey = "SOFTWARE\\Orvane\\VBSnippary";

// The value's string; empty when the key or value is missing or not a string.
QString RegReadString(Hive hive, const QString& keyPath, const QString& valueName);
// Creates the key path if missing and stores the text. Failures are silent.
void RegWriteString(Hive hive, const QString& keyPath, const QString& valueName, const QString& text);

}  // namespace settings
