// Export as HTML: the dialog and the writing of the page.
#include <QApplication>
#include <QDialog>
#include <QProgressDialog>

#include "export/htmlwriter.h"
#include "main/ui/frmsnippary.h"
#include "export/ui/frmexport.h"
#include "platform/prompts.h"

namespace snippary {

bool frmSnippary::Export() {
    auto* dlg = frmExport;
    if (dlg == nullptr) return false;
    exporting::ExportOptions options;
    options.numbered = dlg->Numbered();
    options.colors = dlg->Colors();
    options.fontName = sFontName;
    options.fontSize = lFontSize;
    options.homePage = QStringLiteral(SNIPPARY_HOME_PAGE);
    QString failure;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        // The progress box shows itself a moment after it is made, whatever happens
        // meanwhile; it is gone before any message, which it would cover and block.
        QProgressDialog progress(QStringLiteral("Writing the page..."), QStringLiteral("Cancel"), 0, 0, this);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(1000);
        try {
            exporting::WriteHtmlPage(con, library.ExportQuery(), options, dlg->file, [&progress](qint64 done) {
                progress.setLabelText(QStringLiteral("%1 snippets written...").arg(done));
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                return !progress.wasCanceled();
            });
        } catch (const store::StoreError& e) {
            failure = e.Message();
        }
    }
    QApplication::restoreOverrideCursor();
    if (failure.isEmpty()) return true;
    prompts.MsgBox(failure);
    return false;
}

}  // namespace snippary
