#pragma once
// Writing a whole file so that a crash or a full disk never leaves it half
// written: the bytes go to a fresh temporary file beside it, which then replaces
// the old file in one rename.
#include <QByteArray>
#include <QString>

namespace platform {

// Creates the file's folder when needed. A new file gets the permissions the
// user's umask allows; a replaced file keeps its own. Returns false, with a
// message for the user in *error, when anything fails; the old file is then
// left as it was.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

}  // namespace platform
