#pragma once
// The About box: the product's title and a link to its home page. Shown
// without an owner and without blocking the main window; deleted on close.
#include <QWidget>

#include "about/icon.h"

class QFrame;
class QLabel;

namespace platform {
class Prompts;
}  // namespace platform

namespace about {

class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(platform::Prompts& prompts);

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblAuthor = nullptr;
    QFrame* Line1 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* lblWWW = nullptr;
    QLabel* Label2 = nullptr;

    // The link is underlined while the pointer is on it.
    void lblWWW_MouseMove();
    void Form_MouseMove();
    void Label9_MouseMove();
    void Label2_MouseMove();
    void lblWWW_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void SetLinkUnderline(bool on);

    platform::Prompts& prompts;
};

}  // namespace about
