// File > Import and the Load Database dialog's offer to make a library of an
// Access file: the choices are asked here, the work is the transfer subsystem's.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QProgressDialog>
#include <algorithm>

#include "main/ui/addpage.h"
#include "main/ui/codearchivepage.h"
#include "main/ui/frmsnippary.h"
#include "platform/prompts.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "transfer/importer.h"

namespace snippary {

namespace {

// One import with a progress dialog whose Cancel undoes it; the summary line, or
// nullopt with the reason shown.
std::optional<QString> RunImport(QWidget* parent, platform::Prompts& prompts, store::Connection& con,
                                 const QStringList& sources, transfer::ImportOptions options) {
    transfer::CancelFlag cancel{false};
    QProgressDialog progress(QStringLiteral("Importing..."), QStringLiteral("Cancel"), 0, 0, parent);
    progress.setObjectName(QStringLiteral("dlgImportProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);  // shown only for a large import
    // Reading a large folder comes first; its Cancel is heard between files.
    options.onRead = [&](int read) {
        if (read % 64 != 0) return;
        progress.setLabelText(QStringLiteral("Reading files... %1").arg(read));
        progress.setValue(0);
        QCoreApplication::processEvents();
        if (progress.wasCanceled()) cancel.store(true);
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const transfer::Summary summary =
            transfer::Import(con, sources, options, QDateTime::currentDateTime(), &cancel, [&](int done, int total) {
                progress.setLabelText(QStringLiteral("Adding snippets..."));
                progress.setMaximum(total);
                progress.setValue(done);
                QCoreApplication::processEvents();
                if (progress.wasCanceled()) cancel.store(true);
            });
        QApplication::restoreOverrideCursor();
        QString text = summary.Line();
        const QStringList details = summary.skipped + summary.notes;
        for (qsizetype i = 0; i < details.size() && i < 20; ++i) text += u'\n' + details[i];
        if (details.size() > 20) text += QStringLiteral("\n... and %1 more").arg(details.size() - 20);
        return text;
    } catch (const transfer::Cancelled&) {
        QApplication::restoreOverrideCursor();
        prompts.MsgBox(QStringLiteral("The import was cancelled; nothing was added."));
    } catch (const transfer::Error& e) {
        QApplication::restoreOverrideCursor();
        prompts.MsgBox(e.message + QStringLiteral("; nothing was added."), platform::Prompts::OkOnly,
                       platform::Prompts::Critical);
    } catch (const store::StoreError& e) {
        QApplication::restoreOverrideCursor();
        prompts.MsgBox(e.Message() + QStringLiteral("\nNothing was added."), platform::Prompts::OkOnly,
                       platform::Prompts::Critical);
    }
    return std::nullopt;
}

}  // namespace

void frmSnippary::mnuImport_Click() {
    // The list is filled anew afterwards: the viewer's edits are not dropped unasked.
    if (!page0->SaveOrDropEdits()) return;
    if (con.State() != store::adStateOpen) {
        prompts.MsgBox(QStringLiteral("Load a library first; the import goes into it."));
        return;
    }
    // Several files at once, or (on Cancel) a folder; all of it is one import.
    QStringList sources =
        prompts.OpenFiles(QDir::homePath(), QStringLiteral("Import files (Cancel to import a folder)"),
                          QStringLiteral("Snippet sources (*.mdb *.accdb *.code-snippets *.json *.bas *.cls *.frm)|"
                                         "*.mdb;*.accdb;*.code-snippets;*.json;*.bas;*.cls;*.frm|All files (*.*)|*.*"));
    if (sources.isEmpty()) sources << prompts.BrowseFolder(QStringLiteral("Import a folder"));
    if (sources.first().isEmpty()) return;
    transfer::ImportOptions options;
    // One question for every chosen source that has no categories of its own.
    if (std::any_of(sources.cbegin(), sources.cend(), [](const QString& source) {
            const transfer::SourceKind kind = transfer::DetectSource(source);
            return kind != transfer::SourceKind::AccessFile && kind != transfer::SourceKind::Dump;
        })) {
        const std::optional<QString> category =
            prompts.InputBox(QStringLiteral("Category for what is neither a module (.bas) nor a class (.cls):"),
                             QStringLiteral("Import"), options.category);
        if (!category || category->trimmed().isEmpty()) return;
        options.category = *category;
    }
    const std::optional<QString> summary = RunImport(this, prompts, con, sources, options);
    if (!summary) return;
    // The categories anew, every one ticked, so the list shows what came in.
    const std::vector<Category> categories = library.Categories();
    page0->Closed();
    addPage->Closed();
    page0->ShowCategories(categories, true);
    addPage->ShowCategories(categories);
    Refresh();
    page0->Opened();
    prompts.MsgBox(*summary, platform::Prompts::OkOnly, platform::Prompts::Information);
}

std::optional<QString> frmSnippary::OfferAccessConversion(const QString& path) {
    if (transfer::DetectSource(path) != transfer::SourceKind::AccessFile) return std::nullopt;
    if (prompts.MsgBox(QStringLiteral("This is an Access library. Make a snippet library from it?"),
                       platform::Prompts::YesNo, platform::Prompts::Exclamation) != platform::Prompts::Yes)
        return std::nullopt;
    const QFileInfo access(path);
    QString target =
        prompts.SaveFile(access.absoluteDir().filePath(access.completeBaseName() + u'.' + store::LibrarySuffix),
                         QStringLiteral("Save the new library as"), QString::fromLatin1(store::LibraryFilter));
    if (target.isEmpty()) return QString();
    if (QFileInfo(target).suffix().isEmpty()) target += u'.' + QString::fromLatin1(store::LibrarySuffix);
    try {
        store::CreateLibrary(target, QString(), false);
    } catch (const store::StoreError& e) {
        prompts.MsgBox(e.Message(), platform::Prompts::OkOnly, platform::Prompts::Critical);
        return QString();
    }
    std::optional<QString> summary;
    {
        store::Connection made;
        store::ConnectionString cs;
        cs.dataSource = target;
        try {
            made.Open(cs.Build());
            summary = RunImport(this, prompts, made, {path}, {});
        } catch (const store::StoreError& e) {
            prompts.MsgBox(e.Message(), platform::Prompts::OkOnly, platform::Prompts::Critical);
        }
    }
    if (!summary) {
        QFile::remove(target);  // made here and left empty: nothing of the user's is lost
        return QString();
    }
    prompts.MsgBox(*summary, platform::Prompts::OkOnly, platform::Prompts::Information);
    return target;
}

}  // namespace snippary
