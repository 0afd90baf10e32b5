#pragma once
// Where the program's files live on the Linux desktop.
#include <QString>

namespace platform {

// The folder that holds the executable, without a trailing separator.
QString ProgramFolder();
// True when the program's folder already holds a Snippary.ini (portable use).
bool PortableUse();
// The settings file: ProgramFolder()/Snippary.ini in portable use, otherwise
// $XDG_CONFIG_HOME/snippary/Snippary.ini (~/.config when unset). The folder is
// created on demand by the writers, not here.
QString SettingsFile();
// The add-in file VBADDIN.INI, beside the settings file.
QString AddinFile();
// The help index (help/index.htm): beside the executable in a build tree or in
// portable use, otherwise in the installed data folder.
QString HelpIndex();
// The folder an export goes to when none is chosen: the program's folder in
// portable use, otherwise the user's documents folder. Without a trailing separator.
QString ExportDefaultFolder();
// ExportDefaultFolder() made ready for a page: created when missing; the home
// folder when it cannot be made or written to. Without a trailing separator.
QString ReadyExportDefaultFolder();
// The user's data folder for the starter library ($XDG_DATA_HOME/snippary).
QString DataFolder();

}  // namespace platform
