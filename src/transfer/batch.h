#pragma once
// What an import brings in, read from its sources before the library is touched.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <atomic>

namespace transfer {

struct Item {
    QString category;
    QString name;
    QString description;
    QString source;
    QString content;      // store form: lines ended by CR LF
    QDateTime date;       // invalid: the time of the import
    bool noDate = false;  // a stored Null date, kept Null
};

struct Batch {
    QStringList categories;  // in the order they are to be made
    QList<Item> items;
    QStringList skipped;  // "what: why", one per thing left out
    QStringList notes;    // what was changed on the way in
};

// A failure to read a source or to write an output, with a message for the user.
struct Error {
    QString message;
};

// Set from another thread or a signal handler; readers and the import stop at the next item.
using CancelFlag = std::atomic<bool>;

// Thrown when the flag was set: whatever was begun is undone.
struct Cancelled {};

inline void CheckCancel(const CancelFlag* cancel) {
    if (cancel && cancel->load()) throw Cancelled{};
}

}  // namespace transfer
