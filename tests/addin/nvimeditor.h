#pragma once
// A real Neovim for the tests: `nvim --embed` with its stdin and stdout on two pipes,
// killed when the test is done.
#include <QStringList>
#include <QVariant>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "addin/nvimhost.h"

struct Editor {
    pid_t pid = -1;
    int toEditor = -1, fromEditor = -1;
    explicit Editor(const QStringList& extra = {}) {
        std::vector<QByteArray> args = {"nvim", "--embed", "--headless", "--clean", "-u", "NONE", "-i", "NONE", "-n"};
        for (const QString& a : extra) args.push_back(a.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            ::close(in[1]);
            ::close(out[0]);
            execvp("nvim", argv.data());
            _exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        toEditor = in[1];
        fromEditor = out[0];
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;
    void Kill() {
        if (pid <= 0) return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ~Editor() {
        Kill();
        ::close(toEditor);
        ::close(fromEditor);
    }
};

// The names of the entries of one of the editor's menus; empty when there is no such menu.
inline QStringList MenuEntries(addin::nvim::Host& host, const QString& menu) {
    QStringList out;
    QVariantList menus;
    try {
        menus = host.Call("nvim_call_function", {"menu_get", QVariantList{menu}}).toList();
    } catch (const addin::HostError&) {
        return out;
    }
    for (const QVariant& m : menus.value(0).toMap().value("submenus").toList())
        out << m.toMap().value("name").toString();
    return out;
}
