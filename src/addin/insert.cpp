#include "addin/insert.h"

#include "addin/host.h"

namespace addin {

QString GetModuleName(const QString& name) {
    QString s = name.toUpper().remove(QStringLiteral(".BAS"));
    s = s.toUpper().remove(QStringLiteral(".CLS"));
    s.remove(u' ');
    s.remove(u'.');
    return s.toLower();
}

void InsertSnippet(VBE* VBInst, const QString& sCurType, const QString& selectedRowName, bool rowSelected,
                   const QString& wholeText, const QString& selectedText) {
    if (VBInst == nullptr) return;
    // Every host call may fail; a failed step is skipped and the next one still runs.
    if (sCurType == QLatin1String("Modules") || sCurType == QLatin1String("Classes")) {
        VBComponent* component = nullptr;
        try {
            component = VBInst->ActiveVBProject()->GetVBComponents()->Add(
                sCurType == QLatin1String("Modules") ? VBComponents::StdModule : VBComponents::ClassModule);
        } catch (const HostError&) {
            return;  // no project: nothing to add the code to
        }
        // With no row selected there is no name to give: the component keeps the
        // host's own (Module1, Class1, ...).
        if (rowSelected) {
            try {
                component->SetName(GetModuleName(selectedRowName));
            } catch (const HostError&) {
            }
        }
        try {
            component->GetCodeModule()->AddFromString(wholeText);
        } catch (const HostError&) {
        }
        return;
    }
    try {
        CodePane* pane = VBInst->ActiveCodePane();
        CodeModule* code = pane->GetCodeModule();
        int startLine = 1, startColumn = 1, endLine = 1, endColumn = 1;
        pane->GetSelection(startLine, startColumn, endLine, endColumn);
        code->InsertLines(startLine, selectedText.isEmpty() ? wholeText : selectedText);
    } catch (const HostError&) {
    }
}

}  // namespace addin
