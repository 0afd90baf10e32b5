#include "main/ui/addpage.h"
#include "main/ui/editing.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "main/adding.h"
#include "platform/prompts.h"
#include "main/ui/pagelook.h"
#include "platform/ui/captionfit.h"

namespace snippary {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, int top, bool bold) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    if (bold) label->setFont(BoldCaptionFont());
    Place(label, 480, top, 2160 - 480 - 60, 255);
    return label;
}

QLineEdit* MakeLine(QWidget* parent, const char* name, int maxLength) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxLength(maxLength);
    return box;
}

}  // namespace

AddPage::AddPage(platform::Prompts& prompts, QWidget* parent) : QWidget(parent), prompts(prompts) {
    Label1 = MakeLabel(this, "Label1", "&Category:", 1680, true);
    cmbType = new QComboBox(this);
    cmbType->setObjectName(QStringLiteral("cmbType"));
    Place(cmbType, 2160, 1680, 2655, 315);
    Label1->setBuddy(cmbType);

    Label2 = MakeLabel(this, "Label2", "&Name...:", 2160, true);
    txtName = MakeLine(this, "txtName", 50);
    Place(txtName, 2760, 2160, 5895, 285);
    Label2->setBuddy(txtName);

    Label3 = MakeLabel(this, "Label3", "&Description:", 2640, false);
    txtDesc = MakeLine(this, "txtDesc", 30);
    Place(txtDesc, 2160, 2640, 6495, 285);
    Label3->setBuddy(txtDesc);

    Label4 = MakeLabel(this, "Label4", "&Source of code:", 3120, false);
    txtSource = MakeLine(this, "txtSource", 50);
    Place(txtSource, 2160, 3120, 6495, 285);
    Label4->setBuddy(txtSource);

    Label5 = MakeLabel(this, "Label5", "C&ontent:", 3600, true);
    Label6 = MakeLabel(this, "Label6", "(paste the code here)", 3600 + 285, false);
    // The hint has the room below its caption to run onto a second line.
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    txtContent = new QPlainTextEdit(this);
    txtContent->setObjectName(QStringLiteral("txtContent"));
    txtContent->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtContent->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtContent->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtContent->setTabChangesFocus(true);
    Place(txtContent, 2160, 3600, 6495, 2895);
    Label5->setBuddy(txtContent);

    cmdFileSelect = new QPushButton(QStringLiteral("..."), this);
    cmdFileSelect->setObjectName(QStringLiteral("cmdFileSelect"));
    cmdFileSelect->setToolTip(QStringLiteral("Select file to add !"));
    Place(cmdFileSelect, 2160, 2160, 495, 255);

    cmdAdd = new QPushButton(QStringLiteral("&Add now!"), this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    Place(cmdAdd, 2160, 960, 2655, 375);
    cmdAdd->setEnabled(false);

    columnShift = platform::FitCaptionColumn({Label1, Label2, Label3, Label4, Label5, Label6},
                                             {cmdAdd, cmbType, cmdFileSelect, txtName, txtDesc, txtSource, txtContent},
                                             platform::TwipsToPx(60));

    setTabOrder(cmbType, txtName);
    setTabOrder(txtName, txtDesc);
    setTabOrder(txtDesc, txtSource);
    setTabOrder(txtSource, txtContent);
    setTabOrder(txtContent, cmdFileSelect);
    setTabOrder(cmdFileSelect, cmdAdd);

    // Any change of the selection counts, also the window refilling or emptying the list.
    connect(cmbType, &QComboBox::currentIndexChanged, this, [this] { EnableAdd(); });
    connect(txtName, &QLineEdit::textChanged, this, [this] { EnableAdd(); });
    connect(txtContent, &QPlainTextEdit::textChanged, this, [this] { EnableAdd(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdFileSelect, &QPushButton::clicked, this, [this] { cmdFileSelect_Click(); });
}

void AddPage::SetConnection(store::Connection* connection) { con = connection; }

void AddPage::ShowCategories(const std::vector<Category>& categories) {
    for (const Category& c : categories) cmbType->addItem(c.name, QVariant::fromValue<qint64>(c.typeId));
    // Filling selects the first entry; a new snippet's category is the user's choice.
    cmbType->setCurrentIndex(-1);
    EnableAdd();
}

void AddPage::AddCategory(const Category& c) { cmbType->addItem(c.name, QVariant::fromValue<qint64>(c.typeId)); }

void AddPage::RemoveCategory(int position) {
    // The list would move the choice to a neighbour; a deleted choice is no choice.
    const bool chosen = cmbType->currentIndex() == position;
    cmbType->removeItem(position);
    if (chosen) cmbType->setCurrentIndex(-1);
}

void AddPage::Closed() {
    cmbType->clear();
    cmdAdd->setEnabled(false);
}

void AddPage::ApplyFont(const QString& name, int size) { ApplyContentFont(txtContent, name, size); }

void AddPage::EnableAdd() {
    cmdAdd->setEnabled(AddEnabled(cmbType->currentIndex(), txtName->text(), txtContent->toPlainText()));
}

QString AddPage::ContentForStore() const { return loadedContent.StoreText(txtContent->toPlainText()); }

void AddPage::cmdAdd_Click() {
    const int index = cmbType->currentIndex();
    if (index < 0) return;
    NewSnippet snippet;
    snippet.typeId = cmbType->itemData(index).toLongLong();
    snippet.typeName = cmbType->itemText(index);
    snippet.name = txtName->text();
    snippet.description = txtDesc->text();
    snippet.source = txtSource->text();
    snippet.content = ContentForStore();

    const AddOutcome outcome = AddSnippet(con, snippet, QDateTime::currentDateTime());
    if (!outcome.ok) {
        // Every box keeps what the user typed, so the code is not lost.
        prompts.MsgBox(outcome.error, platform::Prompts::OkOnly, platform::Prompts::Critical);
        return;
    }
    Q_EMIT snippetAdded(outcome.row);
    txtName->clear();
    txtDesc->clear();
    txtSource->clear();
    txtContent->clear();
    loadedContent = BoxContent();
}

void AddPage::cmdFileSelect_Click() {
    const QString folder = lastFolder.isEmpty() ? QDir::homePath() : lastFolder;
    const QString path =
        prompts.OpenFile(folder, QStringLiteral("Select file"),
                         QStringLiteral("Module (*.bas)|*.bas|Class (*.cls)|*.cls|All files (*.*)|*.*"));
    if (!path.isEmpty()) {
        lastFolder = QFileInfo(path).absolutePath();
        const ModuleFile file = ReadModuleForAdd(path);
        if (file.ok) {
            txtName->setText(file.name);
            loadedContent.Set(file.content);
            txtContent->setPlainText(loadedContent.boxPlain);
            // The box may normalise what it was given; compare with what it shows.
            loadedContent.boxPlain = txtContent->toPlainText();
        } else {
            prompts.MsgBox(file.error, platform::Prompts::OkOnly, platform::Prompts::Exclamation);
        }
    }
    EnableAdd();
}

void AddPage::LayoutFor(int windowWidthTwips, int windowHeightTwips) {
    // Boxes moved right to make room for wider captions end where they were designed to.
    auto width = [this](int twips) { return std::max(0, platform::TwipsToPx(twips) - columnShift); };
    auto height = [](int twips) { return std::max(0, platform::TwipsToPx(twips)); };
    txtName->resize(width(windowWidthTwips - 3600), txtName->height());
    txtSource->resize(width(windowWidthTwips - 3000), txtSource->height());
    txtContent->resize(width(windowWidthTwips - 3000), height(windowHeightTwips - 4900));
    txtDesc->resize(width(windowWidthTwips - 3000), txtDesc->height());
}

}  // namespace snippary
