#pragma once
// The add-in the editor host loads: its toolbar button and menu entry, and the
// main window it hands the host to.
#include <QImage>

#include "addin/host.h"

namespace addin {

// The main window as the add-in reaches it.
class AddinWindow {
public:
    virtual ~AddinWindow() = default;
    // Loads the window when needed and gives it the host.
    virtual void SetHost(VBE* host) = 0;
    // Loads the window when needed, gives it the host and shows it, not modal.
    virtual void ShowWithHost(VBE* host) = 0;
    // Unloads the window (its unload work runs) when it is loaded.
    virtual void Unload() = 0;
};

// The picture on the button and the menu entry: 16 by 16, 24-bit colour.
QImage ButtonFace();

class Connect {
public:
    explicit Connect(AddinWindow& window) : window_(window) {}

    void IDTExtensibility_OnConnection(VBE* VBInst, int ConnectMode = 0, void* AddInInst = nullptr,
                                       void* custom = nullptr);
    void IDTExtensibility_OnDisconnection(int RemoveMode = 0, void* custom = nullptr);
    void m_evtMenuSnippary_Click();
    void m_evtCmdSnippary_Click();

    VBE* m_VBInst = nullptr;
    CommandBar* m_cbBar = nullptr;
    CommandBar* m_cbAddIns = nullptr;
    CommandBarControl* m_cbMenuItem = nullptr;
    CommandBarControl* m_cbButton = nullptr;

private:
    AddinWindow& window_;
};

}  // namespace addin
