// The Options menu: the three switches and the content font.
#include <QFont>

#include "main/categorystore.h"
#include "main/ui/frmsnippary.h"
#include "main/ui/addpage.h"
#include "main/ui/codearchivepage.h"
#include "platform/prompts.h"

namespace snippary {

void frmSnippary::mnuOpt_Click(int index) {
    // The entries are checkable, so Qt has already turned the mark; the mark is
    // set from the option here so the two can never disagree.
    switch (index) {
    case 0:
        lLoadStartup = 1 - lLoadStartup;
        break;
    case 1:
        lLoadList = 1 - lLoadList;
        break;
    case 2:
        lNoChange = 1 - lNoChange;
        page0->SetNoChange(lNoChange == 1);
        break;
    default:
        return;
    }
    const qint32 value = index == 0 ? lLoadStartup : index == 1 ? lLoadList : lNoChange;
    mnuOpt[static_cast<size_t>(index)]->setChecked(value == 1);
}

void frmSnippary::ApplyContentFont() {
    page0->ApplyFont(sFontName, lFontSize);
    addPage->ApplyFont(sFontName, lFontSize);
}

void frmSnippary::mnuChgFont_Click() {
    // Preset with the stored values as they are: a cancelled dialog hands them back,
    // so an unset font stays unset rather than pinning the designed one.
    const platform::FontChoice current{sFontName, double(lFontSize)};
    const platform::FontChoice chosen = prompts.ChooseFont(current);
    if (!chosen.name.isEmpty()) sFontName = chosen.name;
    if (chosen.pointSize > 0) lFontSize = WholePoints(chosen.pointSize);
    ApplyContentFont();
}

}  // namespace snippary
