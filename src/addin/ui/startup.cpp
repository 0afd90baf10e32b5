#include "addin/ui/startup.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
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
    snippary::frmSnippary& Load() {
        if (!window_) {
            window_ = new snippary::frmSnippary(prompts_);
            window_->setAttribute(Qt::WA_DeleteOnClose);
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
    }
    void Unload() override {
        if (window_) window_->close();
    }

private:
    platform::Prompts& prompts_;
    QPointer<snippary::frmSnippary> window_;
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
    if (!asAddin) {
        snippary::frmSnippary& w = window.Load();
        w.show();
        if (args.size() > 1 && !args[1].startsWith(u'-')) w.OpenAtStart(args[1]);
    }

    // `snippary --nvim`: the editor started us as its add-in and talks on stdin/stdout.
    // Started alone, no editor is attached and the window has no host.
    std::unique_ptr<nvim::Rpc> rpc;
    std::unique_ptr<nvim::Host> editor;
    std::unique_ptr<Connect> connect;
    std::unique_ptr<QSocketNotifier> incoming;
    if (asAddin) {
        // As an add-in the program lives while it is connected; the editor's menu
        // shows the window, and closing the window only unloads it.
        app.setQuitOnLastWindowClosed(false);
        try {
            rpc = std::make_unique<nvim::Rpc>(STDIN_FILENO, STDOUT_FILENO);
            editor = std::make_unique<nvim::Host>(*rpc);
            connect = std::make_unique<Connect>(window);
            connect->IDTExtensibility_OnConnection(editor.get());
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
                // The editor is lost (it crashed or was killed): an open window stays
                // with whatever the user was typing, and Insert has no host any more.
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
            app.setQuitOnLastWindowClosed(true);
            window.Load().show();
        }
    }
    return app.exec();
}

}  // namespace addin
