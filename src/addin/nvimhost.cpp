#include "addin/nvimhost.h"

#include <QRegularExpression>

namespace addin::nvim {

QVariantList EditorLines(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = t.split(u'\n');
    if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
    QVariantList out;
    for (const QString& l : lines) out << l;
    return out;
}

namespace {

// A menu path piece with its blanks and dots escaped as :menu wants them.
QString MenuName(QString s) {
    s.replace(u'\\', QStringLiteral("\\\\"));
    s.replace(u' ', QStringLiteral("\\ "));
    s.replace(u'.', QStringLiteral("\\."));
    return s;
}

class Menu;

class MenuItem : public CommandBarControl {
public:
    MenuItem(Host& host, Menu& menu, int id) : host_(host), menu_(&menu), id_(id) {}
    QString Caption() const override { return caption_; }
    void SetCaption(const QString& caption) override;
    void SetBeginGroup(bool begin) override { beginGroup_ = begin; }
    void SetFace(const QImage&) override {}  // a text editor's menus carry no pictures
    void Delete() override;
    void OnClick(std::function<void()> handler) override { click_ = std::move(handler); }
    void Click() {
        if (click_) click_();
    }
    int Id() const { return id_; }
    Menu* menu() const { return menu_; }

private:
    Host& host_;
    Menu* menu_;
    int id_;
    QString caption_;
    bool beginGroup_ = false;
    std::function<void()> click_;
};

class Menu : public CommandBar, public CommandBarControls {
public:
    Menu(Host& host, QString name, std::map<int, std::unique_ptr<MenuItem>>& items, int& nextId)
        : host_(host), name_(std::move(name)), items_(items), nextId_(nextId) {}
    QString Name() const override { return name_; }
    void SetVisible(bool) override {}
    CommandBarControls* Controls() override { return this; }
    void Delete() override {
        if (deleted_) throw HostError(5, QStringLiteral("Invalid procedure call or argument"));
        host_.Command(QStringLiteral("silent! aunmenu ") + MenuName(name_));
        deleted_ = true;
    }
    CommandBarControl* Add(int type) override {
        if (type != 1 || deleted_) throw HostError(5, QStringLiteral("Invalid procedure call or argument"));
        const int id = nextId_++;
        items_[id] = std::make_unique<MenuItem>(host_, *this, id);
        return items_[id].get();
    }
    // The entries the editor shows under this menu, ours and others'.
    int Count() const override {
        QVariantList menus;
        try {
            menus = host_.Call(QStringLiteral("nvim_call_function"), {QStringLiteral("menu_get"), QVariantList{name_}})
                        .toList();
        } catch (const HostError&) {
            return 0;  // the editor drops a menu with its last entry
        }
        if (menus.isEmpty()) return 0;
        return int(menus[0].toMap().value(QStringLiteral("submenus")).toList().size());
    }
    CommandBarControl* Item(int) override { throw HostError(5, QStringLiteral("Invalid procedure call or argument")); }
    QString Path() const { return MenuName(name_); }

private:
    Host& host_;
    QString name_;
    std::map<int, std::unique_ptr<MenuItem>>& items_;
    int& nextId_;
    bool deleted_ = false;
};

void MenuItem::SetCaption(const QString& caption) {
    if (!caption_.isEmpty())
        host_.Command(QStringLiteral("silent! aunmenu ") + menu_->Path() + u'.' + MenuName(caption_));
    caption_ = caption;
    host_.Command(QStringLiteral("amenu <silent> %1.%2 :call rpcnotify(%3, 'snippary_click', %4)<CR>")
                      .arg(menu_->Path(), MenuName(caption))
                      .arg(host_.Channel())
                      .arg(id_));
}

void MenuItem::Delete() {
    if (menu_ == nullptr) throw HostError(5, QStringLiteral("Invalid procedure call or argument"));
    if (!caption_.isEmpty())
        host_.Command(QStringLiteral("silent! aunmenu ") + menu_->Path() + u'.' + MenuName(caption_));
    menu_ = nullptr;
}

class Bars : public CommandBars {
public:
    Bars(Host& host, std::map<int, std::unique_ptr<MenuItem>>& items, int& nextId)
        : host_(host), items_(items), nextId_(nextId) {}
    CommandBar* Item(const QString& name) override {
        // "Add-Ins" is always there; any other bar is a menu the editor already shows.
        // (menu_get fails for a menu that is not there).
        if (name != QLatin1String("Add-Ins") &&
            host_.Call(QStringLiteral("nvim_call_function"), {QStringLiteral("menu_get"), QVariantList{name}})
                .toList()
                .isEmpty())
            throw HostError(5, QStringLiteral("Invalid procedure call or argument"));
        return Make(name);
    }
    CommandBar* Add(const QString& name, int) override { return Make(name); }

private:
    Menu* Make(const QString& name) {
        menus_.push_back(std::make_unique<Menu>(host_, name, items_, nextId_));
        return menus_.back().get();
    }
    Host& host_;
    std::map<int, std::unique_ptr<MenuItem>>& items_;
    int& nextId_;
    std::vector<std::unique_ptr<Menu>> menus_;
};

class Buffer : public VBComponent {
public:
    Buffer(Host& host, Handle buffer, QString name, QString suffix)
        : host_(host), module_(host, buffer), name_(std::move(name)), suffix_(std::move(suffix)) {}
    QString Name() const override { return name_; }
    void SetName(const QString& name) override {
        static const QRegularExpression valid(QStringLiteral("^[A-Za-z][A-Za-z0-9_]{0,30}$"));
        if (!valid.match(name).hasMatch()) throw HostError(380, QStringLiteral("Invalid property value"));
        host_.Call(QStringLiteral("nvim_buf_set_name"), {HandleValue(module_.Buffer()), name + suffix_});
        name_ = name;
    }
    CodeModule* GetCodeModule() override { return &module_; }

private:
    Host& host_;
    BufferModule module_;
    QString name_, suffix_;
};

class Buffers : public VBComponents, public VBProject {
public:
    explicit Buffers(Host& host) : host_(host) {}
    VBComponents* GetVBComponents() override { return this; }
    VBComponent* Add(int type) override {
        if (type != StdModule && type != ClassModule)
            throw HostError(5, QStringLiteral("Invalid procedure call or argument"));
        const Handle buf = ToHandle(host_.Call(QStringLiteral("nvim_create_buf"), {true, false}));
        const QString base = type == StdModule ? QStringLiteral("Module") : QStringLiteral("Class");
        const QString suffix = type == StdModule ? QStringLiteral(".bas") : QStringLiteral(".cls");
        const QString name = base + QString::number(++counts_[type]);
        host_.Call(QStringLiteral("nvim_buf_set_name"), {HandleValue(buf), name + suffix});
        host_.Call(QStringLiteral("nvim_buf_set_option"),
                   {HandleValue(buf), QStringLiteral("filetype"), QStringLiteral("vb")});
        host_.Call(QStringLiteral("nvim_set_current_buf"), {HandleValue(buf)});
        items_.push_back(std::make_unique<Buffer>(host_, buf, name, suffix));
        return items_.back().get();
    }
    int Count() const override { return int(items_.size()); }
    VBComponent* Item(int index) override {
        if (index < 1 || index > Count()) throw HostError(9, QStringLiteral("Subscript out of range"));
        return items_[size_t(index - 1)].get();
    }

private:
    Host& host_;
    std::map<int, int> counts_;
    std::vector<std::unique_ptr<Buffer>> items_;
};

class Pane : public CodePane {
public:
    explicit Pane(Host& host) : host_(host) {}
    CodeModule* GetCodeModule() override {
        module_ =
            std::make_unique<BufferModule>(host_, ToHandle(host_.Call(QStringLiteral("nvim_get_current_buf"), {})));
        return module_.get();
    }
    void GetSelection(int& startLine, int& startColumn, int& endLine, int& endColumn) override {
        const QVariantList cursor = host_.Call(QStringLiteral("nvim_win_get_cursor"), {0}).toList();
        startLine = endLine = cursor.value(0).toInt();
        startColumn = endColumn = cursor.value(1).toInt() + 1;
    }

private:
    Host& host_;
    std::unique_ptr<BufferModule> module_;
};

}  // namespace

struct Host::Parts {
    std::map<int, std::unique_ptr<MenuItem>> items;
    int nextId = 1;
    std::unique_ptr<Bars> bars;
    std::unique_ptr<Buffers> buffers;
    std::unique_ptr<Pane> pane;
};

void BufferModule::AddFromString(const QString& text) {
    const QVariantList lines = EditorLines(text);
    // A new buffer holds one empty line: the code replaces it.
    const bool empty = CountOfLines() == 1 && Lines(1, 1).isEmpty();
    host_.Call(QStringLiteral("nvim_buf_set_lines"), {HandleValue(buffer_), empty ? 0 : -1, -1, false, lines});
}

void BufferModule::InsertLines(int line, const QString& text) {
    host_.Call(QStringLiteral("nvim_buf_set_lines"),
               {HandleValue(buffer_), line - 1, line - 1, false, EditorLines(text)});
}

int BufferModule::CountOfLines() const {
    return host_.Call(QStringLiteral("nvim_buf_line_count"), {HandleValue(buffer_)}).toInt();
}

QString BufferModule::Lines(int startLine, int count) const {
    const QVariantList lines = host_
                                   .Call(QStringLiteral("nvim_buf_get_lines"),
                                         {HandleValue(buffer_), startLine - 1, startLine - 1 + count, false})
                                   .toList();
    QStringList out;
    for (const QVariant& l : lines) out << l.toString();
    return out.join(QStringLiteral("\r\n"));
}

Host::Host(Rpc& rpc) : rpc_(rpc), p_(std::make_unique<Parts>()) {
    channel_ = rpc_.Request(QStringLiteral("nvim_get_api_info"), {}).toList().value(0).toLongLong();
    p_->bars = std::make_unique<Bars>(*this, p_->items, p_->nextId);
    p_->buffers = std::make_unique<Buffers>(*this);
    p_->pane = std::make_unique<Pane>(*this);
}

Host::~Host() = default;

CommandBars* Host::GetCommandBars() { return p_->bars.get(); }
VBProject* Host::ActiveVBProject() { return p_->buffers.get(); }
CodePane* Host::ActiveCodePane() { return p_->pane.get(); }

bool Host::Dispatch() {
    const bool alive = rpc_.Poll();
    Notification n;
    while (rpc_.TakeNotification(n)) {
        if (n.method == QLatin1String("snippary_disconnect")) disconnectAsked_ = true;
        if (n.method == QLatin1String("snippary_show") && showAsked) showAsked();
        if (n.method != QLatin1String("snippary_click")) continue;
        const auto it = p_->items.find(n.params.value(0).toInt());
        if (it != p_->items.end() && it->second->menu() != nullptr) it->second->Click();
    }
    return alive;
}

}  // namespace addin::nvim
