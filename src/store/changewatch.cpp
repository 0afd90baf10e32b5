#include "store/changewatch.h"

#include <QPointer>
#include <QSocketNotifier>

#include "store/store.h"

namespace store {

ChangeWatch::ChangeWatch(Connection& con, QObject* parent) : QObject(parent), con_(con) {
    // A connection made again by some action listens on a new socket: the watch
    // follows it once that action is over (and tells what came meanwhile). The
    // connection may outlive the watch, and the watch the connection: the hook
    // reaches the watch only while it exists, and the watch never unhooks.
    con_.OnReconnected([watch = QPointer<ChangeWatch>(this)] {
        if (watch) QMetaObject::invokeMethod(watch.data(), &ChangeWatch::Check, Qt::QueuedConnection);
    });
    Reset();
}

ChangeWatch::~ChangeWatch() = default;

void ChangeWatch::Reset() {
    announced_ = false;
    try {
        (void)con_.ChangedByOthers();  // starts the watch, and forgets what came before
    } catch (const StoreError&) {
        // A lost connection is reported by the next action; the watch starts again with it.
    }
    Arm();
}

// A reconnection gives the connection a new socket: the watch follows it.
void ChangeWatch::Arm() {
    const int socket = con_.State() == adStateOpen ? con_.ChangeSocket() : -1;
    if (notifier_ != nullptr && notifier_->socket() == socket) return;
    notifier_.reset();
    if (socket < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &ChangeWatch::Check);
}

void ChangeWatch::Check() {
    bool changed = false;
    try {
        changed = con_.State() == adStateOpen && con_.ChangedByOthers();
    } catch (const StoreError&) {
    }
    Arm();
    if (changed && !announced_) {
        announced_ = true;
        emit ChangedByOthers();
    }
}

}  // namespace store
