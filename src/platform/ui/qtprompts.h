#pragma once
// The program's prompts: Qt's standard dialogs, owned by the active window.
#include "platform/prompts.h"

namespace platform {

class QtPrompts : public Prompts {
public:
    Answer MsgBox(const QString& text, Buttons buttons = OkOnly, Icon icon = NoIcon,
                  const QString& title = QStringLiteral("VBSnippary")) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText = QString()) override;
    std::optional<QString> Password(const QString& prompt, const QString& title) override;
    QString OpenFile(const QString& initialFolder, const QString& title, const QString& filter) override;
    QStringList OpenFiles(const QString& initialFolder, const QString& title, const QString& filter) override;
    QString SaveFile(const QString& initialFolder, const QString& title, const QString& filter) override;
    QString BrowseFolder(const QString& title) override;
    FontChoice ChooseFont(const FontChoice& current) override;
    void ShellOpen(const QString& target) override;
};

}  // namespace platform
