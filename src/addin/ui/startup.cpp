#include "addin/ui/startup.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <csignal>
#include <functional>
#include <memory>
#include <unistd.h>

#include "addin/connect.h"
#include "addin/nvimhost.h"
#include "addin/registration.h"
#include "main/ui/frmsnippary.h"
#include "platform/folders.h"
#include "platform/ui/qtprompts.h"

namespace addin {

namespace {

// The main window as the add-in sees it: loaded on demand, unloaded by closing.
class MainWindow : public AddinWindow {
public:
    explicit MainWindow(platform::Prompts& prompts) : prompts_(prompts) {}
    ~MainWindow() override { QObject::disconnect(closed_); }
    snippary::frmSnippary& Load() {
        if (!window_) {
            window_ = new snippary::frmSnippary(prompts_);
            window_->setAttribute(Qt::WA_DeleteOnClose);
            closed_ = QObject::connect(window_, &QObject::destroyed, [this] { Report(false); });
        }
        return *window_;
    }
    void SetHost(VBE* host) override { Load().VBInst = host; }
    bool Visible() const { return window_ && window_->isVisible(); }
    void ShowWithHost(VBE* host) override {
        snippary::frmSnippary& w = Load();
        w.VBInst = host;
        w.show();
        w.raise();
        w.activateWindow();
        Report(true);
    }
    void Unload() override {
        if (window_) window_->close();
    }
    // Told each time the window is shown, and when it is closed.
    std::function<void(bool shown)> shownChanged;

private:
    void Report(bool shown) {
        if (shownChanged) shownChanged(shown);
    }
    platform::Prompts& prompts_;
    QPointer<snippary::frmSnippary> window_;
    QMetaObject::Connection closed_;
};

}  // namespace

int RunProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VBSnippary"));
    QApplication::setOrganizationName(QStringLiteral("Orvane"));
    StartUp(platform::AddinFile());
    platform::QtPrompts prompts;
    MainWindow window(prompts);
    const QStringList args = app.arguments();
    const bool asAddin = args.contains(QStringLiteral("--nvim"));

    // `snippary --nvim`: the editor started us as its add-in and talks on stdin/stdout.
    // Started alone, no editor is attached and the window has no host.
    std::unique_ptr<nvim::Rpc> rpc;
    std::unique_ptr<nvim::Host> editor;
    std::unique_ptr<Connect> connect;
    std::unique_ptr<QSocketNotifier> incoming;
    if (asAddin) {
        // As an add-in the program lives while it is connected; closing the window
        // only unloads it, and the editor's menu or :SnipparyShow brings it back.
        app.setQuitOnLastWindowClosed(false);
        // A vanished editor must show as a failed write, not end the program.
        std::signal(SIGPIPE, SIG_IGN);
        try {
            rpc = std::make_unique<nvim::Rpc>(STDIN_FILENO, STDOUT_FILENO);
            editor = std::make_unique<nvim::Host>(*rpc);
            connect = std::make_unique<Connect>(window);
            connect->IDTExtensibility_OnConnection(editor.get());
            // The editor learns whether the window is up (g:snippary_window).
            window.shownChanged = [&rpc](bool shown) {
                rpc->Notify(QStringLiteral("nvim_set_var"), {QStringLiteral("snippary_window"), shown ? 1 : 0});
            };
            editor->showAsked = [&connect] { connect->m_evtMenuSnippary_Click(); };
            incoming = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
            QObject::connect(incoming.get(), &QSocketNotifier::activated, &app, [&] {
                const bool alive = editor->Dispatch();
                if (alive && !editor->DisconnectAsked()) return;
                incoming->setEnabled(false);
                if (alive) {
                    // Disconnected by the editor: our menus go, the window is unloaded.
                    connect->IDTExtensibility_OnDisconnection();
                    app.quit();
                    return;
                }
                // The editor is lost (it crashed, was killed, or sent what we cannot
                // read): an open window stays with whatever the user was typing, and
                // Insert has no host any more.
                if (!window.Visible()) {
                    app.quit();
                    return;
                }
                window.SetHost(nullptr);
                app.setQuitOnLastWindowClosed(true);
            });
        } catch (const HostError&) {
            // No editor after all: the window goes on alone.
            connect.reset();
            editor.reset();
            app.setQuitOnLastWindowClosed(true);
        }
    }

    // The window is shown at every start, also when the editor starts the program.
    window.ShowWithHost(editor.get());
    if (!asAddin && args.size() > 1 && !args[1].startsWith(u'-')) window.Load().OpenAtStart(args[1]);
    const int result = app.exec();
    window.shownChanged = nullptr;
    return result;
}

}  // namespace addin
