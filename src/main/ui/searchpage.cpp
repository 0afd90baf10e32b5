#include "main/ui/searchpage.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "main/searchrules.h"
#include "main/ui/pagelook.h"
#include "platform/ui/captionfit.h"
#include "store/statements.h"

namespace snippary {

namespace {

// A label and its date box inside the date frame, on one row.
QLineEdit* DateRow(QGroupBox* frame, QLabel*& label, const char* labelName, const char* caption, const char* boxName,
                   int top, const QFont& plain) {
    label = new QLabel(QString::fromLatin1(caption), frame);
    label->setObjectName(QString::fromLatin1(labelName));
    label->setFont(plain);
    Place(label, 120, top, 700, 285);
    auto* box = new QLineEdit(frame);
    box->setObjectName(QString::fromLatin1(boxName));
    box->setFont(plain);
    Place(box, 840, top, 1575, 285);
    label->setBuddy(box);
    return box;
}

}  // namespace

SearchPage::SearchPage(QWidget* parent) : QWidget(parent) {
    // Every attribute resolved, so the frames' bold caption font is not inherited.
    QFont plain = font();
    plain.setResolveMask(QFont::AllPropertiesResolved);

    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    Place(txtFind, 2280, 840, 6615, 285);

    cmdFind = new QPushButton(QStringLiteral("&Find"), this);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    Place(cmdFind, 600, 840, 1575, 375);
    cmdFind->setEnabled(false);

    Frame1 = new QGroupBox(QStringLiteral("Words in..."), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFont(BoldCaptionFont());
    Place(Frame1, 600, 1440, 2895, 1935);
    const char* const captions[4] = {"&Names", "&Descriptions", "&Sources of code", "&Contents"};
    const int tops[4] = {360, 720, 1080, 1440};
    for (int i = 0; i < 4; ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(captions[i]), Frame1);
        box->setObjectName(QStringLiteral("chkFind_%1").arg(i));
        box->setFont(plain);  // only the frame's caption is bold
        box->setChecked(true);
        Place(box, 720, tops[i], 2895 - 720 - 120, 255);
        chkFind[static_cast<std::size_t>(i)] = box;
    }

    Frame2 = new QGroupBox(QStringLiteral("Date added..."), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setFont(BoldCaptionFont());
    Place(Frame2, 600, 3480, 2895, 1455);
    txtFrom = DateRow(Frame2, Label7, "Label7", "F&rom:", "txtFrom", 480, plain);
    txtTo = DateRow(Frame2, Label8, "Label8", "&To:", "txtTo", 840, plain);

    // Captions wider than designed: the date boxes make way, the frames grow to
    // hold what they carry.
    const int margin = platform::TwipsToPx(120);
    for (QCheckBox* box : chkFind) platform::FitCaption(box);
    platform::FitCaptionColumn({Label7, Label8}, {txtFrom, txtTo}, platform::TwipsToPx(60));
    for (QGroupBox* frame : {Frame1, Frame2}) {
        platform::FitCaption(frame);
        platform::GrowToChildren(frame, margin);
    }

    setTabOrder(txtFind, cmdFind);
    setTabOrder(cmdFind, chkFind[0]);
    for (std::size_t i = 0; i + 1 < chkFind.size(); ++i) setTabOrder(chkFind[i], chkFind[i + 1]);
    setTabOrder(chkFind[3], txtFrom);
    setTabOrder(txtFrom, txtTo);

    for (QLineEdit* box : {txtFind, txtFrom, txtTo})
        connect(box, &QLineEdit::textChanged, this, [this] { EnableFind(); });
    for (QCheckBox* box : chkFind) connect(box, &QCheckBox::clicked, this, [this] { EnableFind(); });
    txtFrom->installEventFilter(this);
    txtTo->installEventFilter(this);
    connect(cmdFind, &QPushButton::clicked, this, [this] { cmdFind_Click(); });
}

bool SearchPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == txtFrom || watched == txtTo))
        CheckDate(static_cast<QLineEdit*>(watched));
    return QWidget::eventFilter(watched, event);
}

void SearchPage::EndSearch() { txtFind->clear(); }

void SearchPage::EnableFind() {
    std::array<bool, 4> ticks{};
    for (std::size_t i = 0; i < ticks.size(); ++i) ticks[i] = chkFind[i]->isChecked();
    cmdFind->setEnabled(FindEnabled(txtFind->text(), txtFrom->text(), txtTo->text(), ticks));
}

void SearchPage::CheckDate(QLineEdit* box) {
    if (box == nullptr) return;
    const QString checked = CheckedDateText(box->text());
    if (checked != box->text()) box->setText(checked);  // textChanged runs the enabling rule
}

QString SearchPage::BuildFind() const {
    std::array<bool, 4> ticks{};
    for (std::size_t i = 0; i < ticks.size(); ++i) ticks[i] = chkFind[i]->isChecked();
    // A date text that was set without passing the date check never reaches the condition.
    return store::BuildFind(txtFind->text(), ticks, CheckedDateText(txtFrom->text()), CheckedDateText(txtTo->text()));
}

void SearchPage::cmdFind_Click() {
    // The access key and Enter press the button without moving the focus: check here.
    CheckDate(txtFrom);
    CheckDate(txtTo);
    if (!cmdFind->isEnabled()) return;
    Q_EMIT findRequested(BuildFind());
}

void SearchPage::LayoutFor(int windowWidthTwips) {
    const QRect r = txtFind->geometry();
    txtFind->resize(std::max(0, platform::TwipsToPx(windowWidthTwips - 3000)), r.height());
}

}  // namespace snippary
