// snippary_window_bench LIBRARY [--idle]: the window opened on LIBRARY with every
// category ticked, timed from the start of main to the list's first paint;
// with --idle, the peak memory after the window has sat idle for a second.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <sys/resource.h>

#include "main/ui/frmsnippary.h"
#include "platform/ui/qtprompts.h"

namespace {

class FirstPaint : public QObject {
public:
    explicit FirstPaint(QElapsedTimer& t) : t_(t) {}
    double ms = -1;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && ms < 0) ms = double(t_.nsecsElapsed()) / 1e6;
        return QObject::eventFilter(o, e);
    }

private:
    QElapsedTimer& t_;
};

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer t;
    t.start();
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    const bool idle = a.contains("--idle");
    platform::QtPrompts prompts;
    snippary::frmSnippary w(prompts);
    FirstPaint paint(t);
    auto* list = w.findChild<QTreeView*>("lvTOC");
    list->viewport()->installEventFilter(&paint);
    w.OpenAtStart(a.value(1));
    // Every category ticked and listed, as the user's Select all and Refresh do.
    w.findChild<QAction*>("mnuLstSel_0")->trigger();
    w.findChild<QPushButton*>("cmdRefresh")->click();
    w.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (paint.ms >= 0 && !idle) app.quit();
    });
    poll.start(1);
    if (idle) QTimer::singleShot(1000, &app, &QApplication::quit);
    app.exec();
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("ms=%.3f rss=%ld rows=%d\n", paint.ms, u.ru_maxrss, list->model()->rowCount());
    return 0;
}
