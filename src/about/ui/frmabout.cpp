#include "about/ui/frmabout.h"

#include "about/icon.h"

#include <QEvent>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QShortcut>
#include <algorithm>

#include "about/help.h"
#include "platform/ui/twips.h"

namespace about {

namespace {

template <typename W>
W* Place(W* widget, int left, int top, int width, int height) {
    widget->setGeometry(platform::TwipsRect(left, top, width, height));
    return widget;
}

void SetTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

// The designed boxes were measured for a smaller system font: a text that
// would be cut off grows to the right from the same corner.
void FitText(QLabel* label) { label->resize(label->size().expandedTo(label->sizeHint())); }

}  // namespace

frmAbout::frmAbout(platform::Prompts& prompts)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      prompts(prompts) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About..."));
    setWindowIcon(ProgramIcon());
    setFixedSize(platform::TwipsToPx(8640), platform::TwipsToPx(4065));

    Image1 = Place(new QLabel(this), 360, 360, 480, 480);
    Image1->setPixmap(ProgramIcon().pixmap(32, 32));
    Image1->setObjectName(QStringLiteral("Image1"));

    Label1 = Place(new QLabel(QStringLiteral("VB Snippary Add-in [v1.0]"), this), 1200, 360, 4575, 375);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont title(QStringLiteral("Arial"), 12);
    title.setBold(true);
    Label1->setFont(title);
    SetTextColor(Label1, QColor(0, 0, 192));

    lblAuthor = Place(new QLabel(QStringLiteral("by the VBSnippary team"), this), 1200, 720, 2775, 255);
    lblAuthor->setObjectName(QStringLiteral("lblAuthor"));
    SetTextColor(lblAuthor, QColor(128, 64, 0));

    // A rule from (360, 3480) to (8160, 3480).
    Line1 = Place(new QFrame(this), 360, 3480, 7800, 30);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    Label9 = Place(new QLabel(QStringLiteral("Visit my home page at"), this), 480, 3600, 1575, 255);
    Label9->setObjectName(QStringLiteral("Label9"));

    lblWWW = Place(new QLabel(HomePage(), this), 2160, 3600, 2055, 255);
    lblWWW->setObjectName(QStringLiteral("lblWWW"));
    SetTextColor(lblWWW, QColor(0, 0, 128));
    lblWWW->setCursor(Qt::PointingHandCursor);
    lblWWW->setToolTip(HomePage());

    Label2 = Place(new QLabel(QStringLiteral("for the latest version of the program."), this), 3960, 3600, 2775, 255);
    Label2->setObjectName(QStringLiteral("Label2"));

    for (QLabel* label : {Label1, lblAuthor, Label9, lblWWW, Label2}) FitText(label);
    // The link line reads as one sentence: a grown text pushes the next one along.
    const int gap = platform::TwipsToPx(60);
    lblWWW->move(std::max(lblWWW->x(), Label9->geometry().right() + 1 + gap), lblWWW->y());
    Label2->move(std::max(Label2->x(), lblWWW->geometry().right() + 1 + gap), Label2->y());
    const int rightmost = std::max(Label1->geometry().right(), Label2->geometry().right()) + 1;
    if (rightmost + platform::TwipsToPx(360) > width()) {
        // The rule keeps its margins to the box's edges.
        const int rightMargin = width() - (Line1->x() + Line1->width());
        setFixedWidth(rightmost + platform::TwipsToPx(360));
        Line1->resize(width() - rightMargin - Line1->x(), Line1->height());
    }

    // Moves without a button pressed reach the handlers only with tracking on.
    setMouseTracking(true);
    for (QLabel* label : {lblWWW, Label9, Label2}) {
        label->setMouseTracking(true);
        label->installEventFilter(this);
    }

    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, &QWidget::close);
}

void frmAbout::SetLinkUnderline(bool on) {
    QFont font = lblWWW->font();
    if (font.underline() == on) return;
    font.setUnderline(on);
    lblWWW->setFont(font);
}

void frmAbout::lblWWW_MouseMove() { SetLinkUnderline(true); }
void frmAbout::Form_MouseMove() { SetLinkUnderline(false); }
void frmAbout::Label9_MouseMove() { SetLinkUnderline(false); }
void frmAbout::Label2_MouseMove() { SetLinkUnderline(false); }

void frmAbout::lblWWW_Click() { OpenHomePage(prompts); }

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
        // Taken here: a label passes the move on to the box, whose own handler
        // would undo the link's underline at once.
        if (watched == lblWWW)
            lblWWW_MouseMove();
        else if (watched == Label9)
            Label9_MouseMove();
        else if (watched == Label2)
            Label2_MouseMove();
        else
            break;
        return true;
    case QEvent::Enter:
        if (watched == lblWWW) lblWWW_MouseMove();
        break;
    case QEvent::Leave:
        // Leaving the link straight out of the window leaves no underline behind.
        if (watched == lblWWW) SetLinkUnderline(false);
        break;
    case QEvent::MouseButtonRelease:
        if (watched == lblWWW) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            // A click is a press and release on the link with the left button.
            if (mouse->button() == Qt::LeftButton && lblWWW->rect().contains(mouse->position().toPoint()))
                lblWWW_Click();
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmAbout::mouseMoveEvent(QMouseEvent* event) {
    Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

}  // namespace about
