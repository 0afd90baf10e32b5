#include "export/ui/frmexport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "platform/atomicfile.h"
#include "platform/folders.h"
#include "platform/prompts.h"
#include "platform/ui/twips.h"
#include "platform/ui/captionfit.h"

namespace exporting {

QString BrowseFolder(platform::Prompts& prompts) {
    QString folder = prompts.BrowseFolder(QStringLiteral("Choose a directory from the list."));
    if (folder.isEmpty()) return folder;
    // The file name is appended directly, so the folder carries its separator
    // ("/" here, where the Windows original used "\").
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

namespace {

template <typename W>
W* Place(W* widget, int left, int top, int width, int height) {
    widget->setGeometry(platform::TwipsRect(left, top, width, height));
    return widget;
}

// The designed boxes were measured for a smaller system font: a caption that
// would be cut off grows to the right and downwards instead, from the same corner.
void FitCaption(QWidget* w) {
    if (w->hasHeightForWidth() && w->heightForWidth(w->width()) <= w->height()) return;
    w->resize(w->size().expandedTo(w->sizeHint()));
}

}  // namespace

frmExport::frmExport(platform::Prompts& prompts, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      prompts(prompts) {
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(QStringLiteral("Export as HTML"));
    setModal(true);
    setFixedSize(platform::TwipsToPx(8790), platform::TwipsToPx(2775));

    Label1 = Place(new QLabel(QStringLiteral("&File name:"), this), 360, 360, 1215, 255);
    txtFile = Place(new QLineEdit(this), 1800, 360, 2655, 285);
    Label2 = Place(new QLabel(QStringLiteral("F&older:"), this), 360, 720, 1095, 255);
    txtFolder = Place(new QLineEdit(this), 1800, 720, 5655, 285);
    cmdBrowse = Place(new QPushButton(QStringLiteral("..."), this), 7560, 720, 615, 285);
    cmdOk = Place(new QPushButton(QStringLiteral("&Ok"), this), 6360, 1680, 1935, 375);
    cmdCancel = Place(new QPushButton(QStringLiteral("&Cancel"), this), 6360, 2160, 1935, 375);
    chkColors = Place(new QCheckBox(QStringLiteral("&Use VB standard colors"), this), 1800, 1560, 2295, 255);
    optFel[0] = Place(new QRadioButton(QStringLiteral("Simple list"), this), 1800, 1920, 1215, 255);
    optFel[1] = Place(new QRadioButton(QStringLiteral("Numbered list"), this), 1800, 2280, 1575, 255);
    Label3 = Place(new QLabel(QStringLiteral("(leave empty for App.path)"), this), 360, 960, 1215, 495);

    Label1->setObjectName(QStringLiteral("Label1"));
    txtFile->setObjectName(QStringLiteral("txtFile"));
    Label2->setObjectName(QStringLiteral("Label2"));
    txtFolder->setObjectName(QStringLiteral("txtFolder"));
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    chkColors->setObjectName(QStringLiteral("chkColors"));
    optFel[0]->setObjectName(QStringLiteral("optFel0"));
    optFel[1]->setObjectName(QStringLiteral("optFel1"));
    Label3->setObjectName(QStringLiteral("Label3"));

    // A label's access key moves the focus to the box after it.
    Label1->setBuddy(txtFile);
    Label2->setBuddy(txtFolder);
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2), static_cast<QWidget*>(chkColors),
                       static_cast<QWidget*>(optFel[0]), static_cast<QWidget*>(optFel[1])})
        FitCaption(w);
    // The hint under "F&older:" starts below it, however high a larger font makes
    // that label, and runs onto more lines rather than under the boxes beside it.
    Label3->move(Label3->x(), std::max(Label3->y(), Label2->y() + Label2->sizeHint().height()));
    platform::FitCaption(Label3);
    // Only "..." fills the folder box.
    txtFolder->setReadOnly(true);

    auto* group = new QButtonGroup(this);
    group->addButton(optFel[0], 0);
    group->addButton(optFel[1], 1);
    optFel[0]->setChecked(true);

    cmdOk->setDefault(true);

    setTabOrder(txtFile, txtFolder);
    setTabOrder(txtFolder, cmdBrowse);
    setTabOrder(cmdBrowse, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
    setTabOrder(cmdCancel, chkColors);
    setTabOrder(chkColors, optFel[0]);
    setTabOrder(optFel[0], optFel[1]);

    connect(cmdBrowse, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

bool frmExport::Numbered() const { return optFel[1]->isChecked(); }

bool frmExport::Colors() const { return chkColors->isChecked(); }

void frmExport::cmdBrowse_Click() {
    // Whatever the picker gives, so cancelling it empties the box.
    txtFolder->setText(BrowseFolder(prompts));
}

void frmExport::cmdOk_Click() {
    using platform::Prompts;
    if (txtFile->text().isEmpty()) {
        prompts.MsgBox(QStringLiteral("File name can't be empty!"), Prompts::OkOnly, Prompts::NoIcon,
                       QStringLiteral("Error"));
        return;
    }
    QString folder = txtFolder->text();
    if (folder.isEmpty()) folder = platform::ReadyExportDefaultFolder() + QLatin1Char('/');
    file = folder + txtFile->text();

    // A library is never offered for overwriting: the page would take every snippet's place.
    if (platform::IsDatabaseFile(file)) {
        prompts.MsgBox(QStringLiteral("File ") + file + QStringLiteral(" is a snippet library!\r\n") +
                           QStringLiteral("A page is never written over a library: choose another file name."),
                       Prompts::OkOnly, Prompts::Exclamation, QStringLiteral("Attention"));
        return;
    }
    // Hidden files are asked about too: writing the page would replace them all the same.
    if (QFileInfo(file).isFile()) {
        const QString question = QStringLiteral("File ") + file + QStringLiteral(" already exist !") +
                                 QStringLiteral("\r\n") + QStringLiteral("Do you want to overwrite it?");
        if (prompts.MsgBox(question, Prompts::YesNo, Prompts::NoIcon, QStringLiteral("Attention")) != Prompts::Yes)
            return;
    }

    // A page that could not be written keeps the dialog open, so the user can
    // choose another file or folder.
    if (exportPage && exportPage()) accept();
}

void frmExport::cmdCancel_Click() { reject(); }

}  // namespace exporting
