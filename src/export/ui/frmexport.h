#pragma once
// "Export as HTML": where the page goes and how it looks. The main window keeps
// one instance, hidden between exports, so the choices stay for the next one.
#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace platform {
class Prompts;
}  // namespace platform

namespace exporting {

// The folder picker behind "...": the chosen folder ending in a separator,
// or an empty text when the user cancelled.
QString BrowseFolder(platform::Prompts& prompts);

class frmExport : public QDialog {
    Q_OBJECT
public:
    frmExport(platform::Prompts& prompts, QWidget* owner);

    // The full path of the page, set by Ok before the page is written.
    QString file;
    // Writes the page to `file`; true when it was written. Set by the main window.
    std::function<bool()> exportPage;

    bool Numbered() const;
    bool Colors() const;

    // The controls, in tab order.
    QLabel* Label1 = nullptr;
    QLineEdit* txtFile = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtFolder = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QCheckBox* chkColors = nullptr;
    std::array<QRadioButton*, 2> optFel{};  // 0 "Simple list", 1 "Numbered list"
    QLabel* Label3 = nullptr;

    void cmdBrowse_Click();
    void cmdOk_Click();
    void cmdCancel_Click();

private:
    platform::Prompts& prompts;
};

}  // namespace exporting
