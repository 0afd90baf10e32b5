#include "addin/standinhost.h"

#include <QRegularExpression>
#include <algorithm>

namespace addin::standin {

namespace {
QStringList SplitLines(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}
}  // namespace

void Module::AddFromString(const QString& text) { lines += SplitLines(text); }

void Module::InsertLines(int line, const QString& text) {
    if (line < 1 || line > lines.size() + 1) throw HostError(9, QStringLiteral("Subscript out of range"));
    const QStringList added = SplitLines(text);
    for (qsizetype i = 0; i < added.size(); ++i) lines.insert(line - 1 + i, added[i]);
}

QString Module::Lines(int startLine, int count) const {
    return lines.mid(startLine - 1, count).join(QStringLiteral("\r\n"));
}

void Pane::GetSelection(int& startLine, int& startColumn, int& endLine, int& endColumn) {
    startLine = endLine = cursorLine;
    startColumn = endColumn = cursorColumn;
}

// The host's rule: a letter first, then letters, digits and underscores, at most
// 31 characters, not taken by another component of the project.
void Component::SetName(const QString& name) {
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z][A-Za-z0-9_]{0,30}$"));
    if (!valid.match(name).hasMatch()) throw HostError(380, QStringLiteral("Invalid property value"));
    if (owner != nullptr && owner->Taken(name, this))
        throw HostError(40, QStringLiteral("Name conflicts with existing module, project, or object library"));
    name_ = name;
}

VBComponent* Components::Add(int type) {
    if (type != StdModule && type != ClassModule)
        throw HostError(5, QStringLiteral("Invalid procedure call or argument"));
    const QString base = type == StdModule ? QStringLiteral("Module") : QStringLiteral("Class");
    int n = 1;
    while (Taken(base + QString::number(n), nullptr)) ++n;
    items.push_back(std::make_unique<Component>(base + QString::number(n), type));
    items.back()->owner = this;
    return items.back().get();
}

VBComponent* Components::Item(int index) {
    if (index < 1 || index > Count()) throw HostError(9, QStringLiteral("Subscript out of range"));
    return items[size_t(index - 1)].get();
}

bool Components::Taken(const QString& name, const Component* except) const {
    return std::any_of(items.begin(), items.end(), [&](const auto& c) {
        return c.get() != except && c->Name().compare(name, Qt::CaseInsensitive) == 0;
    });
}

void Control::Delete() {
    if (owner == nullptr) throw HostError(5, QStringLiteral("Invalid procedure call or argument"));
    Bar* bar = owner;
    owner = nullptr;
    auto& list = bar->controls;
    const auto it = std::find_if(list.begin(), list.end(), [this](const auto& c) { return c.get() == this; });
    bar->removed.push_back(std::move(*it));
    list.erase(it);
}

void Bar::Delete() {
    if (owner == nullptr) throw HostError(5, QStringLiteral("Invalid procedure call or argument"));
    Host* host = owner;
    owner = nullptr;
    auto& list = host->bars;
    const auto it = std::find_if(list.begin(), list.end(), [this](const auto& b) { return b.get() == this; });
    host->removedBars.push_back(std::move(*it));
    list.erase(it);
}

CommandBarControl* Bar::Add(int type) {
    if (type != 1) throw HostError(5, QStringLiteral("Invalid procedure call or argument"));
    controls.push_back(std::make_unique<Control>());
    controls.back()->owner = this;
    return controls.back().get();
}

CommandBarControl* Bar::Item(int index) {
    if (index < 1 || index > Count()) throw HostError(9, QStringLiteral("Subscript out of range"));
    return controls[size_t(index - 1)].get();
}

Host::Host() { Add(QStringLiteral("Add-Ins"), CommandBar::Top); }

VBProject* Host::ActiveVBProject() {
    if (!project) throw HostError(91, QStringLiteral("Object variable or With block variable not set"));
    return project.get();
}

CodePane* Host::ActiveCodePane() {
    if (!pane) throw HostError(91, QStringLiteral("Object variable or With block variable not set"));
    return pane.get();
}

Bar* Host::Find(const QString& name) {
    for (auto& b : bars)
        if (b->name == name) return b.get();
    return nullptr;
}

CommandBar* Host::Item(const QString& name) {
    if (Bar* b = Find(name)) return b;
    throw HostError(5, QStringLiteral("Invalid procedure call or argument"));
}

CommandBar* Host::Add(const QString& name, int position) {
    if (Find(name) != nullptr) throw HostError(5, QStringLiteral("Invalid procedure call or argument"));
    bars.push_back(std::make_unique<Bar>(name, position));
    bars.back()->owner = this;
    return bars.back().get();
}

}  // namespace addin::standin
