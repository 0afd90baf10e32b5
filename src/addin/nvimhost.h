#pragma once
// Neovim as the host: buffers are the project's components, the current window
// is the active code pane, and menus stand for the command bars (a toolbar is a
// menu of its own name). Clicks come back as the notification "snippary_click".
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "addin/host.h"
#include "addin/nvimrpc.h"

namespace addin::nvim {

class Host;

class BufferModule : public CodeModule {
public:
    BufferModule(Host& host, Handle buffer) : host_(host), buffer_(buffer) {}
    void AddFromString(const QString& text) override;
    void InsertLines(int line, const QString& text) override;
    int CountOfLines() const override;
    QString Lines(int startLine, int count) const override;
    Handle Buffer() const { return buffer_; }

private:
    Host& host_;
    Handle buffer_;
};

class Host : public VBE {
public:
    explicit Host(Rpc& rpc);
    ~Host() override;
    CommandBars* GetCommandBars() override;
    VBProject* ActiveVBProject() override;
    CodePane* ActiveCodePane() override;

    Value Call(const QString& method, const QVariantList& params) { return rpc_.Request(method, params); }
    void Command(const QString& command) { Call(QStringLiteral("nvim_command"), {command}); }
    qint64 Channel() const { return channel_; }
    // Handles the notifications that have arrived; false when the editor is gone.
    bool Dispatch();
    // The editor asked to disconnect the add-in (the plugin's disconnect command, or
    // the editor quitting); the channel still works until we leave.
    bool DisconnectAsked() const { return disconnectAsked_; }
    // Run when the editor asks for the window (the plugin's show command).
    std::function<void()> showAsked;

    struct Parts;

private:
    Rpc& rpc_;
    bool disconnectAsked_ = false;
    qint64 channel_ = 0;
    std::unique_ptr<Parts> p_;
};

// Lines of a text as the editor holds them: CR LF (or LF) separated, no final empty line.
QVariantList EditorLines(const QString& text);

}  // namespace addin::nvim
