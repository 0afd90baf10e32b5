// The Help menu and F1.
#include "main/ui/frmsnippary.h"
#include "main/ui/parts.h"
#include "platform/folders.h"
#include "platform/prompts.h"

namespace snippary {

void frmSnippary::OpenHelpIndex() {
    prompts.ShellOpen(platform::HelpIndex());
}

void frmSnippary::mnuContents_Click() {
    // The same file as F1: the relative path would depend on the current folder.
    prompts.ShellOpen(platform::HelpIndex());
}

void frmSnippary::mnuWeb_Click() {
    prompts.ShellOpen(QStringLiteral(SNIPPARY_HOME_PAGE));
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
