#pragma once
// The Help commands: the local help pages and the product's home page, all
// handed to the desktop through Prompts::ShellOpen. None reports a failure.
#include <QString>

namespace platform {
class Prompts;
}  // namespace platform

namespace about {

// The product's home page address.
QString HomePage();
// The page Help > Contents opens: help/index.htm in the program's folder, or,
// when the program's folder has no help pages (an installed program),
// the help index wherever the platform keeps it.
QString ContentsPage();

// F1 in the main window.
void OpenHelpIndex(platform::Prompts& prompts);
// Help > Contents.
void OpenHelpContents(platform::Prompts& prompts);
// Help > Web site and the link of the About box.
void OpenHomePage(platform::Prompts& prompts);

}  // namespace about
