#include "platform/scriptedprompts.h"

namespace platform {

QString ScriptedPrompts::Describe(Kind kind, const QString& text) {
    static const char* const names[] = {"message box",       "input box",        "password box",  "open-file dialog",
                                        "open-files dialog", "save-file dialog", "folder picker", "font dialog"};
    QString d = QString::fromLatin1(names[kind]);
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
        if (a.kind == MsgBoxKind) out << a.text;
    return out;
}

std::optional<ScriptedPrompts::Expectation> ScriptedPrompts::Take(const Asked& asked) {
    // Message boxes and input boxes are matched on their text; file dialogs and
    // the folder picker on their title.
    const QString& subject = asked.kind >= OpenFileKind && asked.kind <= BrowseFolderKind ? asked.title : asked.text;
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

Prompts::Answer ScriptedPrompts::MsgBox(const QString& text, Buttons buttons, Icon icon, const QString& title) {
    if (const auto e = Take({MsgBoxKind, text, title, buttons, icon})) return e->answer;
    // The answer that changes nothing.
    return buttons == YesNo ? No : buttons == YesNoCancel ? Cancel : Ok;
}

std::optional<QString> ScriptedPrompts::InputBox(const QString& prompt, const QString& title,
                                                 const QString& defaultText) {
    if (const auto e = Take({InputBoxKind, prompt, title, OkOnly, NoIcon, defaultText})) return e->text;
    return std::nullopt;
}

std::optional<QString> ScriptedPrompts::Password(const QString& prompt, const QString& title) {
    if (const auto e = Take({PasswordKind, prompt, title})) return e->text;
    return std::nullopt;
}

QString ScriptedPrompts::OpenFile(const QString& initialFolder, const QString& title, const QString& filter) {
    const auto e = Take({OpenFileKind, {}, title, OkOnly, NoIcon, {}, initialFolder, filter});
    return e ? e->text.value_or(QString()) : QString();
}

QStringList ScriptedPrompts::OpenFiles(const QString& initialFolder, const QString& title, const QString& filter) {
    const auto e = Take({OpenFilesKind, {}, title, OkOnly, NoIcon, {}, initialFolder, filter});
    return e ? e->files : QStringList();
}

QString ScriptedPrompts::SaveFile(const QString& initialFolder, const QString& title, const QString& filter) {
    const auto e = Take({SaveFileKind, {}, title, OkOnly, NoIcon, {}, initialFolder, filter});
    return e ? e->text.value_or(QString()) : QString();
}

QString ScriptedPrompts::BrowseFolder(const QString& title) {
    const auto e = Take({BrowseFolderKind, {}, title});
    QString folder = e ? e->text.value_or(QString()) : QString();
    if (!folder.isEmpty() && !folder.endsWith(u'/')) folder += u'/';
    return folder;
}

FontChoice ScriptedPrompts::ChooseFont(const FontChoice& current) {
    Asked a{FontKind};
    a.font = current;
    if (const auto e = Take(a)) return e->font.value_or(current);
    return current;
}

}  // namespace platform
