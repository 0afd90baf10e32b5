#pragma once
// Code files brought in from a folder tree or one by one.
#include <QString>
#include <functional>

#include "transfer/batch.h"

namespace transfer {

// The category a code file goes to: .bas "Modules", .cls "Classes", anything else `other`.
QString CategoryForFile(const QString& fileName, const QString& other);

// Every file under `folder` (recursively, in path order), or the one file `path`
// names. Binary files, files over the content limit and links that lead out of
// the folder are listed in `skipped`; name = file name, source = path relative
// to the folder, content read as the add page reads a file.
// `onRead`, when given, hears the count of files read so far.
Batch ReadCodeFiles(const QString& path, const QString& otherCategory, const CancelFlag* cancel = nullptr,
                    const std::function<void(int)>& onRead = {});

}  // namespace transfer
