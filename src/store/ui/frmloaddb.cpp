#include "store/ui/frmloaddb.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/folders.h"
#include "platform/prompts.h"
#include "platform/ui/twips.h"
#include "platform/ui/captionfit.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "store/pgengine.h"

namespace store {

using platform::TwipsRect;
using platform::TwipsToPx;

frmLoadDB::frmLoadDB(platform::Prompts& prompts, const QString& path, const QString& password, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      prompts_(prompts) {
    setObjectName(QStringLiteral("frmLoadDB"));
    setWindowTitle(QStringLiteral("Load Database"));
    setModal(true);
    setFixedSize(TwipsToPx(5940), TwipsToPx(2385));  // room for the server choice under the two of files

    Label1 = new QLabel(QStringLiteral("&Database:"), this);
    Label1->setGeometry(TwipsRect(240, 240, 855, 255));
    txtDB = new QLineEdit(this);
    txtDB->setGeometry(TwipsRect(1080, 240, 3855, 285));
    txtDB->setReadOnly(true);
    Label1->setBuddy(txtDB);
    cmdLoadDB = new QPushButton(QStringLiteral("..."), this);
    cmdLoadDB->setGeometry(TwipsRect(5160, 240, 495, 280));
    cmdLoadDB->setAutoDefault(false);
    Label2 = new QLabel(QStringLiteral("&Password:"), this);
    Label2->setGeometry(TwipsRect(240, 720, 735, 375));
    txtPass = new QLineEdit(this);
    txtPass->setGeometry(TwipsRect(1080, 720, 1695, 285));
    txtPass->setEchoMode(QLineEdit::Password);
    Label2->setBuddy(txtPass);
    Label3 = new QLabel(QStringLiteral("Provider:"), this);
    Label3->setGeometry(TwipsRect(240, 1200, 735, 255));
    optProvider[0] = new QRadioButton(QStringLiteral("Microsoft Jet 3.51"), this);
    optProvider[0]->setGeometry(TwipsRect(1080, 1200, 2415, 255));
    optProvider[1] = new QRadioButton(QStringLiteral("Microsoft Jet 4.0"), this);
    optProvider[1]->setGeometry(TwipsRect(1080, 1560, 2415, 255));
    optProvider[2] = new QRadioButton(QStringLiteral("Team server (PostgreSQL)"), this);
    optProvider[2]->setGeometry(TwipsRect(1080, 1920, 2415, 255));
    cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    cmdOk->setGeometry(TwipsRect(4320, 960, 1335, 375));
    cmdOk->setDefault(true);
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setGeometry(TwipsRect(4320, 1440, 1335, 375));
    cmdClose->setAutoDefault(false);

    // Captions the system font makes wider than designed push the boxes, the
    // buttons and the dialog's right edge along.
    const int shift = platform::FitCaptionColumn(
        {Label1, Label2, Label3},
        {txtDB, cmdLoadDB, txtPass, optProvider[0], optProvider[1], optProvider[2], cmdOk, cmdClose}, TwipsToPx(60));
    for (QRadioButton* option : optProvider) platform::FitCaption(option);
    setFixedWidth(width() + shift);

    const std::pair<QWidget*, const char*> names[] = {{Label1, "Label1"},
                                                      {txtDB, "txtDB"},
                                                      {cmdLoadDB, "cmdLoadDB"},
                                                      {Label2, "Label2"},
                                                      {txtPass, "txtPass"},
                                                      {Label3, "Label3"},
                                                      {optProvider[0], "optProvider_0"},
                                                      {optProvider[1], "optProvider_1"},
                                                      {optProvider[2], "optProvider_2"},
                                                      {cmdOk, "cmdOk"},
                                                      {cmdClose, "cmdClose"}};
    for (const auto& [control, name] : names) control->setObjectName(QString::fromLatin1(name));

    // Form_Load
    SetPath(path);
    txtPass->setText(password);
    optProvider[pg::IsAddress(path) ? 2 : 0]->setChecked(true);

    connect(cmdLoadDB, &QPushButton::clicked, this, &frmLoadDB::cmdLoadDB_Click);
    connect(cmdOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<LoadChoice> frmLoadDB::Choose() {
    if (exec() != QDialog::Accepted) return std::nullopt;
    // A password written into a server address is not kept with it (the path goes to the settings).
    return LoadChoice{pg::IsAddress(sPath) ? pg::ShownAddress(sPath) : sPath, txtPass->text(), BuildConnectionString()};
}

void frmLoadDB::SetPath(const QString& path) {
    sPath = path;
    txtDB->setText(path);
}

QString frmLoadDB::BrowseFilter() {
    return QString::fromLatin1(LibraryFilter) + QStringLiteral("|Access database (*.mdb)|*.mdb|All files (*.*)|*.*");
}

QString frmLoadDB::BuildConnectionString() const {
    ConnectionString cs;
    cs.provider = optProvider[0]->isChecked()   ? ConnectionString::Jet351
                  : optProvider[1]->isChecked() ? ConnectionString::Jet40
                                                : ConnectionString::PostgreSQL;
    cs.dataSource = sPath;
    cs.password = txtPass->text();
    return cs.Build();
}

void frmLoadDB::cmdLoadDB_Click() {
    if (optProvider[2]->isChecked()) {
        const std::optional<QString> address = prompts_.InputBox(
            QStringLiteral("Address of the team library (postgresql://user@host/database):"),
            QStringLiteral("Team server"), pg::IsAddress(sPath) ? sPath : QStringLiteral("postgresql://"));
        if (address && pg::IsAddress(address->trimmed())) SetPath(address->trimmed());
        return;
    }
    const QString chosen =
        prompts_.OpenFile(platform::ProgramFolder(), QStringLiteral("Select database"), BrowseFilter());
    if (!chosen.isEmpty()) SetPath(chosen);
}

}  // namespace store
