#include "addin/registration.h"

#include "export/colorline.h"
#include "settings/inifile.h"

namespace addin {

void StartUp(const QString& addinFile) {
    exporting::FillKeywordTables();
    (void)settings::WritePrivateProfileString(QStringLiteral("Add-Ins32"), QStringLiteral("VBSnippary.Connect"),
                                              QStringLiteral("0"), addinFile);
}

}  // namespace addin
