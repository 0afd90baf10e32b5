// The Help menu and F1.
#include "about/help.h"
#include "main/ui/frmsnippary.h"
#include "about/ui/frmabout.h"
#include "platform/prompts.h"

namespace snippary {

void frmSnippary::OpenHelpIndex() { about::OpenHelpIndex(prompts); }

void frmSnippary::mnuContents_Click() { about::OpenHelpContents(prompts); }

void frmSnippary::mnuWeb_Click() { about::OpenHomePage(prompts); }

void frmSnippary::mnuAbout_Click() {
    if (!frmAbout) {
        auto* box = new about::frmAbout(prompts);
        box->setAttribute(Qt::WA_DeleteOnClose);
        frmAbout = box;
    }
    frmAbout->show();
    frmAbout->raise();
}

}  // namespace snippary
