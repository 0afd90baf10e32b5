#pragma once
// The file dialogs are given their filter as "Text (*.txt)|*.txt|All files (*.*)|*.*":
// pairs of a caption and its patterns (";"-separated). This turns it into the
// entries a Qt file dialog shows, "Text (*.txt)" and "All files (*)", in order.
#include <QStringList>
#include <QUrl>

namespace platform {

// "*.*" becomes "*": on Linux a file without an extension is still a file. A
// caption's own "(...)" is replaced by the patterns that really apply.
QStringList QtFileFilters(const QString& pipes);

// What the desktop is asked to open: a web or mail address as it stands, any
// other text as a local file (made absolute against the current folder).
QUrl ShellTarget(const QString& target);

}  // namespace platform
