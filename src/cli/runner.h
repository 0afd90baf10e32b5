#pragma once
// The command line with its streams given, so tests run verbs in-process.
#include <QByteArray>
#include <QStringList>
#include <functional>

namespace cli {

struct Io {
    QByteArray out, err;
    std::function<QByteArray()> readStdin;             // all of standard input, up to 64 MB
    std::function<QString(const QString&)> askSecret;  // a password typed at a terminal; null: none
    std::function<void(const QByteArray&)> tell;       // a message shown at once on standard error; null: none
};

// args[0] is the verb. Returns the exit status.
int RunVerb(const QStringList& args, Io& io);

}  // namespace cli
