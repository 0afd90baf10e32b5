#include "addin/ui/startup.h"

#include <QApplication>
#include <QPointer>

#include "addin/connect.h"
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
    // Started alone: no editor is attached, so the window has no host.
    snippary::frmSnippary& w = window.Load();
    w.show();
    const QStringList args = app.arguments();
    if (args.size() > 1 && !args[1].startsWith(u'-')) w.OpenAtStart(args[1]);
    return app.exec();
}

}  // namespace addin
