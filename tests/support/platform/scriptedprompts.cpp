#include "platform/scriptedprompts.h"

namespace platform {

namespace {

const char* KindName(ScriptedPrompts::Kind kind) {
    switch (kind) {
    case ScriptedPrompts::MsgBoxKind:
        return "message box";
    case ScriptedPrompts::InputBoxKind:
        return "input box";
    case ScriptedPrompts::PasswordKind:
        return "password box";
    case ScriptedPrompts::OpenFileKind:
        return "open-file dialog";
    case ScriptedPrompts::SaveFileKind:
        return "save-file dialog";
    case ScriptedPrompts::BrowseFolderKind:
        return "folder picker";
    case ScriptedPrompts::FontKind:
        return "font dialog";
    }
    return "prompt";
}

}  // namespace

QString ScriptedPrompts::Describe(Kind kind, const QString& text) {
    QString d = QString::fromLatin1(KindName(kind));
    if (!text.isEmpty()) d += QStringLiteral(" \"%1\"").arg(text);
    return d;
}

void ScriptedPrompts::ExpectMsgBox(const QString& text, Answer answer) {
    Expectation e;
    e.kind = MsgBoxKind;
    e.match = text;
    e.answer = answer;
    queue_.append(e);
}

void ScriptedPrompts::ExpectMsgBoxContaining(const QString& part, Answer answer) {
    Expectation e;
    e.kind = MsgBoxKind;
    e.match = part;
    e.substring = true;
    e.answer = answer;
    queue_.append(e);
}

void ScriptedPrompts::ExpectText(Kind kind, const QString& match, const std::optional<QString>& text) {
    Expectation e;
    e.kind = kind;
    e.match = match;
    e.text = text;
    queue_.append(e);
}

void ScriptedPrompts::ExpectInputBox(const std::optional<QString>& answer, const QString& prompt) {
    ExpectText(InputBoxKind, prompt, answer);
}

void ScriptedPrompts::ExpectPassword(const std::optional<QString>& answer, const QString& prompt) {
    ExpectText(PasswordKind, prompt, answer);
}

void ScriptedPrompts::ExpectOpenFile(const QString& path, const QString& title) {
    ExpectText(OpenFileKind, title, path);
}

void ScriptedPrompts::ExpectSaveFile(const QString& path, const QString& title) {
    ExpectText(SaveFileKind, title, path);
}

void ScriptedPrompts::ExpectBrowseFolder(const QString& folder, const QString& title) {
    ExpectText(BrowseFolderKind, title, folder);
}

void ScriptedPrompts::ExpectFont(const std::optional<FontChoice>& choice) {
    Expectation e;
    e.kind = FontKind;
    e.font = choice;
    queue_.append(e);
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

void ScriptedPrompts::Clear() {
    queue_.clear();
    history_.clear();
    unexpected_.clear();
    opened_.clear();
}

std::optional<ScriptedPrompts::Expectation> ScriptedPrompts::Take(Asked asked) {
    // Message boxes and input boxes are matched on their text; file dialogs and
    // the folder picker on their title.
    const bool byTitle = asked.kind == OpenFileKind || asked.kind == SaveFileKind || asked.kind == BrowseFolderKind;
    const QString& subject = byTitle ? asked.title : asked.text;
    std::optional<Expectation> taken;
    if (!queue_.isEmpty()) {
        const Expectation& head = queue_.first();
        const bool matches =
            head.kind == asked.kind &&
            (head.match.isEmpty() || (head.substring ? subject.contains(head.match) : subject == head.match));
        if (matches) taken = queue_.takeFirst();
    }
    asked.expected = taken.has_value();
    if (!taken) {
        QString what = Describe(asked.kind, subject);
        what += queue_.isEmpty()
                    ? QStringLiteral(" (nothing was expected)")
                    : QStringLiteral(" (expected: %1)").arg(Describe(queue_.first().kind, queue_.first().match));
        unexpected_ << what;
    }
    history_.append(asked);
    return taken;
}

Prompts::Answer ScriptedPrompts::MsgBox(const QString& text, Buttons buttons, Icon icon, const QString& title) {
    Asked a;
    a.kind = MsgBoxKind;
    a.text = text;
    a.title = title;
    a.buttons = buttons;
    a.icon = icon;
    if (const auto e = Take(a)) return e->answer;
    // The answer that changes nothing.
    switch (buttons) {
    case YesNo:
        return No;
    case YesNoCancel:
        return Cancel;
    case OkOnly:
        break;
    }
    return Ok;
}

std::optional<QString> ScriptedPrompts::InputBox(const QString& prompt, const QString& title,
                                                 const QString& defaultText) {
    Asked a;
    a.kind = InputBoxKind;
    a.text = prompt;
    a.title = title;
    a.defaultText = defaultText;
    if (const auto e = Take(a)) return e->text;
    return std::nullopt;
}

std::optional<QString> ScriptedPrompts::Password(const QString& prompt, const QString& title) {
    Asked a;
    a.kind = PasswordKind;
    a.text = prompt;
    a.title = title;
    if (const auto e = Take(a)) return e->text;
    return std::nullopt;
}

QString ScriptedPrompts::OpenFile(const QString& initialFolder, const QString& title, const QString& filter) {
    Asked a;
    a.kind = OpenFileKind;
    a.title = title;
    a.initialFolder = initialFolder;
    a.filter = filter;
    if (const auto e = Take(a)) return e->text.value_or(QString());
    return QString();
}

QString ScriptedPrompts::SaveFile(const QString& initialFolder, const QString& title, const QString& filter) {
    Asked a;
    a.kind = SaveFileKind;
    a.title = title;
    a.initialFolder = initialFolder;
    a.filter = filter;
    if (const auto e = Take(a)) return e->text.value_or(QString());
    return QString();
}

QString ScriptedPrompts::BrowseFolder(const QString& title) {
    Asked a;
    a.kind = BrowseFolderKind;
    a.title = title;
    const auto e = Take(a);
    if (!e) return QString();
    QString folder = e->text.value_or(QString());
    if (!folder.isEmpty() && !folder.endsWith(u'/')) folder += u'/';
    return folder;
}

FontChoice ScriptedPrompts::ChooseFont(const FontChoice& current) {
    Asked a;
    a.kind = FontKind;
    a.font = current;
    if (const auto e = Take(a)) return e->font.value_or(current);
    return current;
}

void ScriptedPrompts::ShellOpen(const QString& target) { opened_ << target; }

}  // namespace platform
