#pragma once
// Tells when others changed the team library open on a connection: woken by the
// connection's own socket when the server announces a change, never by a timer.
// A file library has nothing to announce, and the watch stays silent.
#include <QObject>
#include <memory>

class QSocketNotifier;

namespace store {

class Connection;

class ChangeWatch : public QObject {
    Q_OBJECT
public:
    explicit ChangeWatch(Connection& con, QObject* parent = nullptr);
    ~ChangeWatch() override;
    // What others did before now is in what the caller reads next (a Refresh).
    void Reset();

signals:
    void ChangedByOthers();

private:
    void Arm();
    void Check();

    Connection& con_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool announced_ = false;
};

}  // namespace store
