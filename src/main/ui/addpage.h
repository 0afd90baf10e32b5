#pragma once
// The Add to Archive page: a new snippet's category, name, description, source and
// code, typed or read from a module file, stored with the date it was added.
#include <QString>
#include <QWidget>

#include <vector>

#include "main/boxtext.h"
#include "main/categorystore.h"
#include "main/snippetrow.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace platform {
class Prompts;
}  // namespace platform
namespace store {
class Connection;
}  // namespace store

namespace snippary {

class AddPage : public QWidget {
    Q_OBJECT
public:
    explicit AddPage(platform::Prompts& prompts, QWidget* parent = nullptr);

    // The window's connection; it may be closed or null.
    void SetConnection(store::Connection* con);
    // The categories of the library just opened, none chosen yet.
    void ShowCategories(const std::vector<Category>& categories);
    void AddCategory(const Category& category);
    // A deleted category that was chosen leaves no choice behind.
    void RemoveCategory(int position);
    // The library is closed: no categories, nothing to add to.
    void Closed();
    void ApplyFont(const QString& name, int size);
    // The content as it goes to the store (byte-exact when unedited since a file load).
    QString ContentForStore() const;
    // Page 2 layout: widths from the window width, content height from its height.
    void LayoutFor(int windowWidthTwips, int windowHeightTwips);

Q_SIGNALS:
    void snippetAdded(const snippary::SnippetRow& row);

private:
    // Add is possible with a name, a content and a chosen category.
    void EnableAdd();
    // Stores the snippet; on success emits snippetAdded and empties the boxes.
    void cmdAdd_Click();
    // Reads a module file into the content box, its file name into the name box.
    void cmdFileSelect_Click();

    QPushButton* cmdAdd = nullptr;
    QComboBox* cmbType = nullptr;  // item data: the TypeID as qint64
    QPushButton* cmdFileSelect = nullptr;
    QLineEdit* txtName = nullptr;
    QLineEdit* txtDesc = nullptr;
    QLineEdit* txtSource = nullptr;
    QPlainTextEdit* txtContent = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    platform::Prompts& prompts;
    store::Connection* con = nullptr;
    BoxContent loadedContent;  // what a file load put into txtContent
    QString lastFolder;        // where the file dialog opens next
    int columnShift = 0;       // pixels the boxes moved right for wider captions
};

}  // namespace snippary
