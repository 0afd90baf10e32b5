#pragma once
// msgpack-RPC with Neovim over a pair of file descriptors: requests wait for
// their answer (notifications that arrive meanwhile are kept), and a lost editor
// or a silent one is an error, never a hang.
#include <QByteArray>
#include <QString>
#include <QVariant>
#include <deque>
#include <memory>

namespace addin::nvim {

// A value as msgpack carries it: Null, bool, integer, double, text, binary,
// list (QVariantList) or map (QVariantMap).
using Value = QVariant;

// Neovim's extension types (buffer, window, tabpage) arrive as handles.
struct Handle {
    qint8 type = 0;
    qint64 id = 0;
};

struct Notification {
    QString method;
    QVariantList params;
};

class Rpc {
public:
    Rpc(int readFd, int writeFd, int timeoutMs = 5000);
    ~Rpc();
    // Throws HostError when the editor answers with an error, goes away or is silent.
    Value Request(const QString& method, const QVariantList& params);
    // Sends without waiting for an answer; a failure only marks the editor lost.
    void Notify(const QString& method, const QVariantList& params);
    // Reads what has arrived without waiting; false when the editor is gone. A message
    // that breaks the protocol is logged and counts as the editor gone.
    bool Poll();
    bool TakeNotification(Notification& n);
    bool Lost() const { return lost_; }
    int ReadFd() const { return readFd_; }

    struct Impl;

private:
    bool ReadSome(int waitMs);
    bool Send(const char* data, size_t size);
    int readFd_, writeFd_, timeoutMs_;
    quint32 nextId_ = 1;
    quint32 awaiting_ = 0;
    bool lost_ = false;
    std::deque<Notification> notifications_;
    std::unique_ptr<Impl> d;
};

// A buffer, window or tabpage handle sent back to the editor as it came.
QVariant HandleValue(const Handle& h);
Handle ToHandle(const QVariant& v);

}  // namespace addin::nvim

Q_DECLARE_METATYPE(addin::nvim::Handle)
