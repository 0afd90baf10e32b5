#include "platform/ui/qtprompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "platform/filefilter.h"
#include "platform/ui/captionfit.h"

namespace platform {

namespace {

QWidget* Owner() { return QApplication::activeWindow(); }

// A one-line question, as wide as its title needs.
std::optional<QString> AskText(const QString& prompt, const QString& title, QLineEdit::EchoMode echo,
                               const QString& defaultText) {
    QInputDialog dialog(Owner());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextEchoMode(echo);
    dialog.setTextValue(defaultText);
    WidenForTitle(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

QMessageBox::Icon BoxIcon(Prompts::Icon icon) {
    switch (icon) {
    case Prompts::Exclamation:
        return QMessageBox::Warning;
    case Prompts::Critical:
        return QMessageBox::Critical;
    case Prompts::Information:
        return QMessageBox::Information;
    case Prompts::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

Prompts::Answer QtPrompts::MsgBox(const QString& text, Buttons buttons, Icon icon, const QString& title) {
    QMessageBox::StandardButtons shown = QMessageBox::Ok;
    if (buttons == YesNo) shown = QMessageBox::Yes | QMessageBox::No;
    if (buttons == YesNoCancel) shown = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox box(BoxIcon(icon), title, text, shown, Owner());
    box.setTextFormat(Qt::PlainText);
    if (buttons != OkOnly) {
        box.setDefaultButton(QMessageBox::Yes);
        // Escape (and the close box) gives the answer that changes nothing.
        box.setEscapeButton(buttons == YesNo ? QMessageBox::No : QMessageBox::Cancel);
    }
    WidenForTitle(box);
    const int result = box.exec();
    if (buttons == OkOnly) return Ok;
    if (result == QMessageBox::Yes) return Yes;
    return result == QMessageBox::No ? No : Cancel;
}

std::optional<QString> QtPrompts::InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    return AskText(prompt, title, QLineEdit::Normal, defaultText);
}

std::optional<QString> QtPrompts::Password(const QString& prompt, const QString& title) {
    return AskText(prompt, title, QLineEdit::Password, QString());
}

QString QtPrompts::OpenFile(const QString& initialFolder, const QString& title, const QString& filter) {
    const QStringList filters = QtFileFilters(filter);
    QString selected = filters.value(0);
    return QFileDialog::getOpenFileName(Owner(), title, initialFolder, filters.join(QStringLiteral(";;")), &selected);
}

QStringList QtPrompts::OpenFiles(const QString& initialFolder, const QString& title, const QString& filter) {
    const QStringList filters = QtFileFilters(filter);
    QString selected = filters.value(0);
    return QFileDialog::getOpenFileNames(Owner(), title, initialFolder, filters.join(QStringLiteral(";;")), &selected);
}

QString QtPrompts::SaveFile(const QString& initialFolder, const QString& title, const QString& filter) {
    const QStringList filters = QtFileFilters(filter);
    QString selected = filters.value(0);
    return QFileDialog::getSaveFileName(Owner(), title, initialFolder, filters.join(QStringLiteral(";;")), &selected);
}

QString QtPrompts::BrowseFolder(const QString& title) {
    QString folder = QFileDialog::getExistingDirectory(Owner(), title, QString(), QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty() && !folder.endsWith(u'/')) folder += u'/';
    return folder;
}

FontChoice QtPrompts::ChooseFont(const FontChoice& current) {
    QFont preset = QApplication::font();
    if (!current.name.isEmpty()) preset.setFamily(current.name);
    if (current.pointSize > 0) preset.setPointSizeF(current.pointSize);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, preset, Owner());
    if (!ok) return current;
    return FontChoice{chosen.family(), chosen.pointSizeF()};
}

void QtPrompts::ShellOpen(const QString& target) {
    if (target.isEmpty()) return;
    QDesktopServices::openUrl(ShellTarget(target));
}

}  // namespace platform
