#pragma once
// Start-up work that needs no window.
#include <QString>

namespace addin {

// Fills the keyword tables and writes the add-in's entry "VBSnippary.Connect" = "0"
// in section "Add-Ins32" of the add-in file; a failed write is ignored.
void StartUp(const QString& addinFile);

}  // namespace addin
