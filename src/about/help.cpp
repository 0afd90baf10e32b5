#include "about/help.h"

#include <QDir>
#include <QFileInfo>

#include "platform/folders.h"
#include "platform/prompts.h"

namespace about {

QString HomePage() { return QStringLiteral(SNIPPARY_HOME_PAGE); }

QString ContentsPage() {
    // The menu's path is relative; it is resolved against the program's folder
    // rather than the current one, which the program never sets.
    QString beside = QDir(platform::ProgramFolder()).filePath(QStringLiteral("help/index.htm"));
    if (QFileInfo(beside).isFile()) return beside;
    return platform::HelpIndex();
}

void OpenHelpIndex(platform::Prompts& prompts) { prompts.ShellOpen(platform::HelpIndex()); }

void OpenHelpContents(platform::Prompts& prompts) { prompts.ShellOpen(ContentsPage()); }

void OpenHomePage(platform::Prompts& prompts) { prompts.ShellOpen(HomePage()); }

}  // namespace about
