#include "platform/scriptedprompts.h"

namespace platform {

QString ScriptedPrompts::Describe(Kind kind, const QString& text) {
    static const char* const names[] = {"message box",       "input box",        "password box",  "open-file dialog",
                                        "open-files dialog", "save-file dialog", "folder picker", "font dialog"};
    QString d = QString::fromLatin1(names[int(kind)]);
    if (!text.isEmpty()) d += QStringLiteral(" \"%1\"").arg(text);
    return d;
}

QStringList ScriptedPrompts::Pending() const {
    QStringList out;
    for (const Expectation& e : queue_) out << Describe(e.kind, e.match);
    return out;
}

QStringList ScriptedPrompts::Messages() const {
    QStringList out;
    for (const Asked& a : history_)
        if (a.kind == Kind::MsgBox) out << a.text;
    return out;
}

std::optional<ScriptedPrompts::Expectation> ScriptedPrompts::Take(const Asked& asked) {
    // Message boxes and input boxes are matched on their text; file dialogs and
    // the folder picker on their title.
    const QString& subject =
        asked.kind >= Kind::OpenFile && asked.kind <= Kind::BrowseFolder ? asked.title : asked.text;
    const Expectation* head = queue_.isEmpty() ? nullptr : &queue_.first();
    const bool expected =
        head != nullptr && head->kind == asked.kind &&
        (head->match.isEmpty() || (head->substring ? subject.contains(head->match) : subject == head->match));
    history_.append(asked);
    if (expected) return queue_.takeFirst();
    unexpected_ << Describe(asked.kind, subject) +
                       (head == nullptr ? QStringLiteral(" (nothing was expected)")
                                        : QStringLiteral(" (expected: %1)").arg(Describe(head->kind, head->match)));
    return std::nullopt;
}

Prompts::Answer ScriptedPrompts::MsgBox(const QString& text, Buttons buttons, Icon, const QString& title) {
    if (const auto e = Take({Kind::MsgBox, text, title, buttons})) return e->answer;
    // The answer that changes nothing.
    return buttons == YesNo ? No : buttons == YesNoCancel ? Cancel : Ok;
}

std::optional<QString> ScriptedPrompts::InputBox(const QString& prompt, const QString& title, const QString&) {
    return Take({Kind::InputBox, prompt, title}).value_or(Expectation()).text;
}

// No test answers a password box: asking one is always unexpected.
std::optional<QString> ScriptedPrompts::Password(const QString& prompt, const QString& title) {
    Take({Kind::Password, prompt, title});
    return std::nullopt;
}

QString ScriptedPrompts::OpenFile(const QString& initialFolder, const QString& title, const QString& filter) {
    return Take({Kind::OpenFile, {}, title, OkOnly, initialFolder, filter}).value_or(Expectation()).text.value_or("");
}

QStringList ScriptedPrompts::OpenFiles(const QString& initialFolder, const QString& title, const QString& filter) {
    return Take({Kind::OpenFiles, {}, title, OkOnly, initialFolder, filter}).value_or(Expectation()).files;
}

QString ScriptedPrompts::SaveFile(const QString& initialFolder, const QString& title, const QString& filter) {
    return Take({Kind::SaveFile, {}, title, OkOnly, initialFolder, filter}).value_or(Expectation()).text.value_or("");
}

QString ScriptedPrompts::BrowseFolder(const QString& title) {
    QString folder = Take({Kind::BrowseFolder, {}, title}).value_or(Expectation()).text.value_or(QString());
    if (!folder.isEmpty() && !folder.endsWith(u'/')) folder += u'/';
    return folder;
}

FontChoice ScriptedPrompts::ChooseFont(const FontChoice& current) {
    return Take({Kind::Font}).value_or(Expectation()).font.value_or(current);
}

}  // namespace platform
