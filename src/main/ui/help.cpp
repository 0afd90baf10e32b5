// The Help menu and F1.
#include "main/ui/frmsnippary.h"
#include "main/ui/parts.h"
#include "platform/folders.h"
#include "platform/prompts.h"

namespace snippary {

void frmSnippary::OpenHelpIndex() {
#if SNIPPARY_HAVE_ABOUT
    about::OpenHelpIndex(prompts);
#else
    prompts.ShellOpen(platform::HelpIndex());
#endif
}

void frmSnippary::mnuContents_Click() {
#if SNIPPARY_HAVE_ABOUT
    about::OpenHelpContents(prompts);
#else
    prompts.ShellOpen(platform::HelpIndex());
#endif
}

void frmSnippary::mnuWeb_Click() {
#if SNIPPARY_HAVE_ABOUT
    about::OpenHomePage(prompts);
#else
    prompts.ShellOpen(QStringLiteral(SNIPPARY_HOME_PAGE));
#endif
}

void frmSnippary::mnuAbout_Click() {
#if SNIPPARY_HAVE_ABOUT
    if (!frmAbout) {
        auto* box = new about::frmAbout(prompts);
        box->setAttribute(Qt::WA_DeleteOnClose);
        frmAbout = box;
    }
    frmAbout->show();
    frmAbout->raise();
#endif
}

}  // namespace snippary
