// The File menu's database commands and the start with a library named on the command line.
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include "main/snippetlistmodel.h"
#include "main/ui/frmsnippary.h"
#include "main/ui/addpage.h"
#include "main/ui/searchpage.h"
#include "platform/folders.h"
#include "platform/prompts.h"
#include "store/connectionstring.h"
#include "store/pgengine.h"
#include "store/library.h"

namespace snippary {

void frmSnippary::SetLoadedMenus(bool enabled) {
    mnulvTOC->setEnabled(enabled);
    mnuLstTOC->setEnabled(enabled);
    mnuExport->setEnabled(enabled);
}

void frmSnippary::mnuLoad_Click() {
    if (!SaveOrDropEdits()) return;
    mnuCloseDB_Click();
    FillTypes();
    SetLoadedMenus(true);
}

void frmSnippary::mnuCloseDB_Click() {
    if (!SaveOrDropEdits()) return;
    sDb.clear();
    lstTOC->clear();
    addPage->cmbType->clear();
    shownId.reset();
    shownName.clear();
    ShowInViewer(QString());
    lvModel->Clear();
    SetLoadedMenus(false);
    cmdRefresh->setEnabled(false);
    cmdSaveCont->setEnabled(false);
    cmdCopy->setEnabled(false);
    cmdInsert->setEnabled(false);
    addPage->cmdAdd->setEnabled(false);
    delete changeWatch;  // its socket goes with the connection
    con.Close();
    // The password goes with the library it opened.
    sPass.fill(u'\0');
    sPass.clear();
    Refresh();
}

void frmSnippary::mnuViewDB_Click() {
    prompts.MsgBox(QStringLiteral("Database selected: ") + sDb, platform::Prompts::OkOnly,
                   platform::Prompts::NoIcon, QStringLiteral("Snippary"));
}

void frmSnippary::mnuNewDB_Click() {
    if (!SaveOrDropEdits()) return;
    QString path = prompts.SaveFile(platform::DataFolder(), QStringLiteral("New database"),
                                    QString::fromLatin1(store::LibraryFilter));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + QString::fromLatin1(store::LibrarySuffix);
    const std::optional<QString> first =
        prompts.Password(QStringLiteral("Password (leave empty for none):"), QStringLiteral("New database"));
    if (!first) return;
    QString password = *first;
    if (!password.isEmpty()) {
        const std::optional<QString> again =
            prompts.Password(QStringLiteral("Type the password again:"), QStringLiteral("New database"));
        if (!again) return;
        if (*again != password) {
            prompts.MsgBox(QStringLiteral("The passwords do not match. No database was created."));
            return;
        }
    }
    try {
        store::CreateLibrary(path, password, false);
    } catch (const store::StoreError& e) {
        prompts.MsgBox(e.Message());
        return;
    }
    // Opened as Load database opens a library, without asking again.
    mnuCloseDB_Click();
    cmdRefresh->setEnabled(true);
    store::ConnectionString cs;
    cs.dataSource = path;
    cs.password = password;
    try {
        con.Open(cs.Build());
    } catch (const store::StoreError& e) {
        prompts.MsgBox(e.Message());
    }
    sDb = path;
    sPass = password;
    if (con.State() == store::adStateOpen) OpenLoaded();
    SetLoadedMenus(true);
}

void frmSnippary::OpenAtStart(const QString& libraryPath) {
    mnuCloseDB_Click();
    const bool server = store::pg::IsAddress(libraryPath);
    const store::ConnectionString cs =
        store::ConnectionString::ForLibrary(server ? libraryPath : QFileInfo(libraryPath).absoluteFilePath());
    // What is kept (and stored in the settings) never holds a password written into an address.
    const QString shown = server ? store::pg::ShownAddress(libraryPath) : cs.dataSource;
    try {
        con.Open(cs.Build());
    } catch (const store::StoreError& e) {
        if (server ? e.Number() != store::errors::kBadPassword : !QFileInfo(cs.dataSource).isFile()) {
            prompts.MsgBox(e.Message());
            sDb = shown;
            return;
        }
    }
    if (con.State() == store::adStateOpen) {
        sDb = shown;
        sPass.clear();
        cmdRefresh->setEnabled(true);
        OpenLoaded();
    } else {
        // Most likely a library with a password: ask for it in the usual dialog.
        sDb = shown;
        FillTypes();
    }
    SetLoadedMenus(true);
}

}  // namespace snippary
