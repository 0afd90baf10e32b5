#pragma once
// The Load Database dialog: a library path, an optional password and the provider.
// Ok opens the main window's connection and records the path and password.
#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace platform { class Prompts; }

namespace store {

class Connection;

class frmLoadDB : public QDialog {
    Q_OBJECT
public:
    // Form_Load: the path box shows sDb, the password box sPass, option 0 chosen
    // (option 2 when sDb is a server address).
    frmLoadDB(platform::Prompts& prompts, Connection& con, QString& sDb, QString& sPass,
              QWidget* parent = nullptr);

    QString sPath;  // the path Ok will open; set it (and SetPath) before showing
    // Asked by Ok before opening: nullopt opens sPath as it is; a path opens that
    // library instead (made from sPath); an empty text closes without opening.
    std::function<std::optional<QString>(const QString& path)> convertForeign;
    void SetPath(const QString& path);

    QLabel* Label1;
    QLineEdit* txtDB;
    QPushButton* cmdLoadDB;
    QLabel* Label2;
    QLineEdit* txtPass;
    QLabel* Label3;
    // 0 and 1 the file providers; 2 a team library on a PostgreSQL server, whose
    // "..." asks for the address.
    std::array<QRadioButton*, 3> optProvider;
    QPushButton* cmdOk;
    QPushButton* cmdClose;

    // Our own type first, then the two of the original dialog.
    static QString BrowseFilter();
    // The connection string Ok opens, from the chosen option, sPath and the password box.
    QString BuildConnectionString() const;

    void cmdLoadDB_Click();
    void cmdOk_Click();
    void cmdClose_Click();

private:
    platform::Prompts& prompts_;
    Connection& con_;
    QString& sDb_;
    QString& sPass_;
};

}  // namespace store
