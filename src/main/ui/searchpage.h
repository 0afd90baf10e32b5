#pragma once
// The Search page: a text, the columns it is looked for in, and a date range.
// The window embeds it as the second tab and runs the search it asks for.
#include <QString>
#include <QWidget>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace snippary {

class SearchPage : public QWidget {
    Q_OBJECT
public:
    explicit SearchPage(QWidget* parent = nullptr);

    QPushButton* cmdFind = nullptr;
    QLineEdit* txtFind = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QCheckBox*, 4> chkFind{};  // Name, Description, Source, Content
    QGroupBox* Frame2 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* txtFrom = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* txtTo = nullptr;

    // The search condition from the current texts and ticks ("" finds everything).
    QString BuildFind() const;
    // Find is possible with a text or a date, and at least one ticked column.
    void EnableFind();
    // Empties a date box whose text is no date (no message).
    void CheckDate(QLineEdit* box);
    // Runs the date checks, then asks the window to search.
    void cmdFind_Click();
    // txtFind width = W - 3000.
    void LayoutFor(int windowWidthTwips);

Q_SIGNALS:
    void findRequested(const QString& sFind);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace snippary
