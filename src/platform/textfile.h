#pragma once
// Reading module and class files (.bas, .cls) the way the add page does.
#include <QByteArray>
#include <QString>

namespace platform {

struct ModuleText {
    bool ok = false;
    QString content;  // every line followed by CR LF
    QString error;    // a message for the user when !ok
};

// A module larger than this is no module; content is kept whole or refused, never cut.
constexpr qint64 MaxModuleBytes = 64LL * 1024 * 1024;

// Decodes bytes as UTF-8 when they are valid UTF-8 (a byte-order mark removed),
// otherwise as Windows-1252; then splits into lines: CR or CR LF ends a line, a
// lone LF stays inside the line, and every line is followed by CR LF. An empty
// input gives an empty content. Bytes holding a NUL are refused (a binary file).
ModuleText ModuleTextFromBytes(const QByteArray& bytes);
// Reads a file with ModuleTextFromBytes; an unreadable, missing or binary file,
// a folder, a pipe or device, or a file over 64 MB gives ok = false with a clear
// message (the content is never cut).
ModuleText ReadModuleFile(const QString& path);

}  // namespace platform
