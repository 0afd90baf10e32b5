#pragma once
// Moving the viewer's code into the editor host.
#include <QString>

namespace addin {

class VBE;  // the host, see host.h

// The name of a new component made from a snippet name: ".BAS" and ".CLS" taken
// out (after upper-casing), blanks and full stops taken out, lower-cased.
// "Sort Tools.bas" gives "sorttools".
QString GetModuleName(const QString& name);

// The Insert command. Nothing happens when VBInst is null. For sCurType exactly
// "Modules" or "Classes" a new component of the active project receives the
// whole text, named from the selected list row's name; otherwise the selection
// (or the whole text when nothing is selected) is inserted before the line on
// which the active code pane's cursor stands. Failing host operations are skipped.
void InsertSnippet(VBE* VBInst, const QString& sCurType, const QString& selectedRowName, bool rowSelected,
                   const QString& wholeText, const QString& selectedText);

}  // namespace addin
