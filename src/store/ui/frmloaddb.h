#pragma once
// The Load Database dialog: a library path, an optional password and the provider.
// It hands back what the user chose; the window opens the library with it.
#include <QDialog>
#include <QString>
#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace platform {
class Prompts;
}  // namespace platform

namespace store {

// What Ok confirmed: the library, its password and the connection string to open.
struct LoadChoice {
    QString path;
    QString password;
    QString connectionString;
};

class frmLoadDB : public QDialog {
    Q_OBJECT
public:
    // Form_Load: the path box shows `path`, the password box `password`, option 0
    // chosen (option 2 when the path is a server address).
    frmLoadDB(platform::Prompts& prompts, const QString& path, const QString& password, QWidget* parent = nullptr);

    // Shows the dialog until Ok or Close; nothing for Close.
    std::optional<LoadChoice> Choose();

    // Our own type first, then the two of the original dialog.
    static QString BrowseFilter();

private:
    void SetPath(const QString& path);
    // The connection string Ok opens, from the chosen option, sPath and the password box.
    QString BuildConnectionString() const;
    void cmdLoadDB_Click();

    platform::Prompts& prompts_;
    QString sPath;  // the path Ok will open
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
};

}  // namespace store
