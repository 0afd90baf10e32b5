#pragma once
// Every modal question the windows ask goes through Prompts, handed to them by
// whoever builds them: the program passes QtPrompts, tests pass ScriptedPrompts.
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

struct FontChoice {
    QString name;
    double pointSize = 0;  // as the dialog gives it, e.g. 8.25
};

class Prompts {
public:
    enum Buttons { OkOnly, YesNo, YesNoCancel };
    enum Icon { NoIcon, Exclamation, Critical, Information };
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

    virtual ~Prompts() = default;

    // A message box. The program's title is "VBSnippary" unless one is given.
    virtual Answer MsgBox(const QString& text, Buttons buttons = OkOnly, Icon icon = NoIcon,
                          const QString& title = QStringLiteral("VBSnippary")) = 0;
    // An input box; nullopt when cancelled (an emptied field gives an empty text).
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText = QString()) = 0;
    // A secret text (password); nullopt when cancelled.
    virtual std::optional<QString> Password(const QString& prompt, const QString& title) = 0;
    // File dialogs. filter is the "Text (*.x)|*.x|All files (*.*)|*.*" form.
    // The result is the chosen full path, empty when cancelled.
    virtual QString OpenFile(const QString& initialFolder, const QString& title, const QString& filter) = 0;
    // The same picker taking one file or several; empty when cancelled.
    virtual QStringList OpenFiles(const QString& initialFolder, const QString& title, const QString& filter) = 0;
    virtual QString SaveFile(const QString& initialFolder, const QString& title, const QString& filter) = 0;
    // The folder picker; the chosen folder's path ending in "/", empty when
    // cancelled.
    virtual QString BrowseFolder(const QString& title) = 0;
    // The font dialog, preset with `current`; cancelling returns `current`.
    virtual FontChoice ChooseFont(const FontChoice& current) = 0;
    // Hands a file path or web address to the desktop; failures are silent.
    virtual void ShellOpen(const QString& target) = 0;
};

}  // namespace platform
