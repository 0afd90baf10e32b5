// Start-up, layout, page switching and shut-down of the window.
#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QTabBar>
#include <QTabWidget>

#include "main/ui/frmsnippary.h"
#include "export/ui/frmexport.h"
#include "main/ui/addpage.h"
#include "main/ui/codearchivepage.h"
#include "main/ui/searchpage.h"
#include "main/windowlayout.h"
#include "platform/folders.h"
#include "platform/ui/twips.h"
#include "settings/registry.h"
#include "settings/snipparysettings.h"

namespace snippary {

using platform::PxToTwips;
using platform::TwipsToPx;

int frmSnippary::WidthTwips() const { return geometryTwips.width.Twips(frameGeometry().width()); }
int frmSnippary::HeightTwips() const { return geometryTwips.height.Twips(frameGeometry().height()); }

void frmSnippary::SetOuterSizeTwips(int width, int height) {
    geometryTwips.width.Set(width);
    geometryTwips.height.Set(height);
    // resize() takes the inner size; the frame is what the window manager adds.
    frameUsed = frameGeometry().size() - geometry().size();
    resize(std::max(1, TwipsToPx(width) - frameUsed.width()), std::max(1, TwipsToPx(height) - frameUsed.height()));
}

void frmSnippary::FollowFrame() {
    // The window manager tells the frame only once the window is shown; a size
    // restored before then would otherwise grow by the frame on every start.
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame == frameUsed) return;
    const QSize outer = geometry().size() + frameUsed;
    frameUsed = frame;
    resize(std::max(1, outer.width() - frame.width()), std::max(1, outer.height() - frame.height()));
}

void frmSnippary::SetOuterPosTwips(int left, int top) {
    geometryTwips.left.Set(left);
    geometryTwips.top.Set(top);
    move(TwipsToPx(left), TwipsToPx(top));
}

void frmSnippary::Form_Load() {
    // The controls were placed by their designed tops, which count from the top of
    // the strip; the pages begin below its row of tabs.
    for (int i = 0; i < SSTab1->count(); ++i)
        for (QWidget* control : SSTab1->widget(i)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!control->isWindow()) control->move(control->x(), control->y() - TwipsToPx(TabRowTwips));

    // Every step is on its own: a failing one is skipped.
    const QString regTab = settings::RegReadString(settings::HKEY_LOCAL_MACHINE,
                                                   QString::fromLatin1(settings::RegistryKey), QStringLiteral("Tab"));
    if (!regTab.isEmpty()) {
        // The number at the start of the text.
        qsizetype n = 0;
        while (n < regTab.size() && regTab.at(n).isDigit()) ++n;
        bool ok = false;
        const int page = regTab.left(n).toInt(&ok);
        if (ok && page >= 0 && page < SSTab1->count()) SSTab1->setCurrentIndex(page);
    }

    auto* dlg = new exporting::frmExport(prompts, this);
    dlg->exportPage = [this] { return Export(); };
    frmExport = dlg;

    const settings::SnipparySettings s = settings::ReadSettings(platform::SettingsFile());
    const int top = s.top.value_or(geometryTwips.top.Twips(frameGeometry().top()));
    const int left = s.left.value_or(geometryTwips.left.Twips(frameGeometry().left()));
    SetOuterPosTwips(left, top);
    // Each size change runs the layout, which applies the minimum.
    SetOuterSizeTwips(s.width.value_or(WidthTwips()), HeightTwips());
    Form_Resize();
    SetOuterSizeTwips(WidthTwips(), s.height.value_or(HeightTwips()));
    Form_Resize();

    sDb = s.db;
    sFontName = s.fontName;
    if (!sFontName.isEmpty()) ApplyContentFont();
    if (s.tab) {
        lTab = *s.tab;
        if (lTab >= 0 && lTab <= 2) {
            mnuView[static_cast<size_t>(lTab)]->setChecked(true);
            SSTab1->setCurrentIndex(lTab);
        }
    }
    if (s.fontSize) lFontSize = *s.fontSize;
    if (lFontSize != 0) ApplyContentFont();
    if (s.loadList) lLoadList = *s.loadList;
    mnuOpt[1]->setChecked(lLoadList == 1);
    if (s.noChange) lNoChange = *s.noChange;
    mnuOpt[2]->setChecked(lNoChange == 1);
    page0->SetNoChange(lNoChange == 1);
    if (s.loadStartup) lLoadStartup = *s.loadStartup;
    mnuOpt[0]->setChecked(lLoadStartup == 1);

    // Exactly one View entry carries the mark, whatever the stored page was.
    for (int i = 0; i < 3; ++i) mnuView[static_cast<size_t>(i)]->setChecked(i == SSTab1->currentIndex());
    lTab = SSTab1->currentIndex();
    lPrevTab = lTab;

    if (!sDb.isEmpty() && lLoadStartup == 1)
        FillTypes();
    else
        sDb.clear();
}

void frmSnippary::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FollowFrame();
    Form_Resize();
}

void frmSnippary::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FollowFrame();
}

void frmSnippary::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    FollowFrame();
}

void frmSnippary::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized()) Form_Resize();
}

void frmSnippary::Form_Resize() {
    if (isMinimized() || SSTab1 == nullptr) return;
    const QSize wanted = ClampToMinimum(QSize(WidthTwips(), HeightTwips()));
    if (wanted != QSize(WidthTwips(), HeightTwips())) {
        SetOuterSizeTwips(wanted.width(), wanted.height());
    }
    const int W = std::max(WidthTwips(), MinWidthTwips);
    const int H = std::max(HeightTwips(), MinHeightTwips);
    // Where the pages begin inside the strip: below the tab row as the style draws
    // it, known for sure only once the strip has been laid out on screen.
    const QWidget* pages = SSTab1->currentWidget() != nullptr ? SSTab1->currentWidget()->parentWidget() : nullptr;
    const int pageTopPx = SSTab1->isVisible() && pages != nullptr ? pages->mapTo(SSTab1, QPoint(0, 0)).y()
                                                                  : SSTab1->tabBar()->sizeHint().height();
    // The strip stays inside the client area, whatever the frame and menu bar take.
    QSize room(1 << 24, 1 << 24);
    if (isVisible() && centralWidget() != nullptr)
        room = QSize(PxToTwips(centralWidget()->width() - SSTab1->x()),
                     PxToTwips(centralWidget()->height() - SSTab1->y()));
    const FrameLayout l = LayoutFor(W, H, PxToTwips(pageTopPx), room);
    SSTab1->resize(TwipsToPx(l.tabWidth), TwipsToPx(l.tabHeight));
    switch (SSTab1->currentIndex()) {
    case 0:
        page0->LayoutFor(l);
        break;
    case 1:
        searchPage->LayoutFor(l.pagesWidth);
        break;
    case 2:
        addPage->LayoutFor(l.pagesWidth, l.pagesHeight);
        break;
    default:
        break;
    }
}

void frmSnippary::SSTab1_Click(int previousTab) {
    lTab = SSTab1->currentIndex();
    lPrevTab = previousTab;
    if (lPrevTab >= 0 && lPrevTab <= 2) mnuView[static_cast<size_t>(lPrevTab)]->setChecked(false);
    if (lTab >= 0 && lTab <= 2) mnuView[static_cast<size_t>(lTab)]->setChecked(true);
    Form_Resize();
}

void frmSnippary::mnuView_Click(int index) {
    SSTab1->setCurrentIndex(index);
    if (lPrevTab >= 0 && lPrevTab <= 2) mnuView[static_cast<size_t>(lPrevTab)]->setChecked(false);
    // A triggered checkable action toggles itself; the chosen page keeps its mark.
    for (int i = 0; i < 3; ++i) mnuView[static_cast<size_t>(i)]->setChecked(i == index);
    lPrevTab = index;
    lTab = index;
}

void frmSnippary::closeEvent(QCloseEvent* event) {
    if (!unloaded && !page0->SaveOrDropEdits()) {
        event->ignore();  // the window stays open with the edits
        return;
    }
    if (!unloaded) Form_Unload();
    event->accept();
}

void frmSnippary::Form_Unload() {
    unloaded = true;
    if (frmExport != nullptr) {
        frmExport->hide();
        delete frmExport;
        frmExport = nullptr;
    }
    settings::SettingsToWrite w;
    w.db = sDb;
    w.tab = lTab;
    w.fontName = sFontName;
    w.fontSize = lFontSize;
    w.loadStartup = lLoadStartup;
    w.noChange = lNoChange;
    w.loadList = lLoadList;
    w.top = geometryTwips.top.Twips(frameGeometry().top());
    w.left = geometryTwips.left.Twips(frameGeometry().left());
    w.width = WidthTwips();
    w.height = HeightTwips();
    settings::WriteSettings(platform::SettingsFile(), w);
    settings::RegWriteString(settings::HKEY_LOCAL_MACHINE, QString::fromLatin1(settings::RegistryKey),
                             QStringLiteral("Tab"), QString::number(SSTab1->currentIndex()));
    VBInst = nullptr;
    con.Close();
    library.ForgetPassword();
}

}  // namespace snippary
