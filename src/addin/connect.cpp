#include "addin/connect.h"

#include <QPainter>

#include "about/icon.h"

namespace addin {

namespace {
const QString kToolbar = QStringLiteral("VB Velmora");
}  // namespace

QImage ButtonFace() {
    // The face has no transparency: the icon goes onto the toolbar's grey.
    QImage face(16, 16, QImage::Format_RGB888);
    face.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter p(&face);
    p.drawImage(0, 0, about::ProgramImage(16));
    return face;
}

void Connect::IDTExtensibility_OnConnection(VBE* VBInst, int, void*, void*) {
    m_VBInst = VBInst;
    // From here on a failing step is skipped and the next one runs.
    try {
        m_cbBar = m_VBInst->GetCommandBars()->Item(kToolbar);
    } catch (const HostError&) {
        m_cbBar = nullptr;
    }
    if (m_cbBar == nullptr) {
        try {
            m_cbBar = m_VBInst->GetCommandBars()->Add(kToolbar, CommandBar::Top);
        } catch (const HostError&) {
        }
    }
    try {
        if (m_cbBar) m_cbBar->SetVisible(true);
    } catch (const HostError&) {
    }
    try {
        m_cbAddIns = m_VBInst->GetCommandBars()->Item(QStringLiteral("Add-Ins"));
    } catch (const HostError&) {
        m_cbAddIns = nullptr;
    }
    // The face goes straight onto the control: the user's clipboard stays theirs.
    const QImage face = ButtonFace();
    if (m_cbAddIns != nullptr) {
        try {
            m_cbMenuItem = m_cbAddIns->Controls()->Add(1);
            m_cbMenuItem->SetCaption(QStringLiteral("Snippary"));
            m_cbMenuItem->SetFace(face);
            m_cbMenuItem->OnClick([this] { m_evtMenuSnippary_Click(); });
        } catch (const HostError&) {
        }
    }
    if (m_cbBar != nullptr) {
        try {
            m_cbButton = m_cbBar->Controls()->Add(1);
            m_cbButton->SetBeginGroup(true);
            m_cbButton->SetCaption(QStringLiteral("VB Snippary"));
            m_cbButton->SetFace(face);
            m_cbButton->OnClick([this] { m_evtCmdSnippary_Click(); });
        } catch (const HostError&) {
        }
    }
    window_.SetHost(m_VBInst);
}

void Connect::IDTExtensibility_OnDisconnection(int, void*) {
    // What connection could not make is simply not there to remove.
    auto removeQuietly = [](auto* object) {
        if (object == nullptr) return;
        try {
            object->Delete();
        } catch (const HostError&) {
        }
    };
    removeQuietly(m_cbMenuItem);
    removeQuietly(m_cbButton);
    if (m_cbBar != nullptr) {
        try {
            if (m_cbBar->Controls()->Count() == 0) m_cbBar->Delete();
        } catch (const HostError&) {
        }
    }
    m_cbMenuItem = nullptr;
    m_cbButton = nullptr;
    m_cbBar = nullptr;
    window_.Unload();
}

void Connect::m_evtMenuSnippary_Click() { window_.ShowWithHost(m_VBInst); }
void Connect::m_evtCmdSnippary_Click() { window_.ShowWithHost(m_VBInst); }

}  // namespace addin
