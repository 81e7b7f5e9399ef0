#include "GuiTestSupport.h"

#include "AAListView.h"
#include "CategoryTreeView.h"
#include "MainFrame.h"
#include "RidaxoApp.h"
#include "RidaxoDoc.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include <memory>

namespace
{
wxTreeItemId FindTreeItemFrom(const wxTreeCtrlBase& tree, const wxTreeItemId& from, const wxString& strLabel)
{
    if (tree.GetItemText(from) == strLabel)
        return from;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree.GetFirstChild(from, cookie); child.IsOk(); child = tree.GetNextChild(from, cookie)) {
        if (const wxTreeItemId found = FindTreeItemFrom(tree, child, strLabel); found.IsOk())
            return found;
    }
    return {};
}
} // namespace

wxTreeItemId FindTreeItem(const wxTreeCtrlBase& tree, const wxString& strLabel)
{
    const wxTreeItemId root = tree.GetRootItem();
    return root.IsOk() ? FindTreeItemFrom(tree, root, strLabel) : wxTreeItemId();
}

wxPoint TreeLabelPoint(wxTreeCtrlBase& tree, const wxTreeItemId& item)
{
    tree.EnsureVisible(item);
    PumpEvents();
    wxRect rect;
    EXPECT_TRUE(tree.GetBoundingRect(item, rect, true));
    return rect.GetPosition() + wxPoint(rect.width / 2, rect.height / 2);
}

void SendMouse(wxWindow& window, wxEventType nType, const wxPoint& point, bool bLeftDown)
{
    wxMouseEvent event(nType);
    event.SetPosition(point);
    event.m_leftDown = bLeftDown;
    event.SetEventObject(&window);
    window.ProcessWindowEvent(event);
}

void PumpEvents()
{
    for (int i = 0; i < 3; ++i) {
        wxYield();
        wxTheApp->ProcessPendingEvents();
    }
}

void CAppFixture::SetUp()
{
    m_pMessageBoxes = std::make_unique<CMessageBoxOverride>([this](const wxString& strText, long nStyle) {
        m_messages.push_back({strText, nStyle});
        if (!m_answers.empty()) {
            const int nAnswer = m_answers.front();
            m_answers.erase(m_answers.begin());
            return nAnswer;
        }
        return (nStyle & wxYES_NO) ? wxNO : wxOK;
    });
    ASSERT_TRUE(App().StartUp(wxString()));
    PumpEvents();
}

void CAppFixture::TearDown()
{
    if (GetMainFrame()) {
        // Unsaved changes are dropped without a question here.
        Doc().Modify(false);
        GetMainFrame()->Close(true);
    }
    PumpEvents();
    App().ShutDown();
    m_pMessageBoxes.reset();
}

CRidaxoApp& CAppFixture::App() const
{
    return *static_cast<CRidaxoApp*>(wxTheApp);
}

CRidaxoDocManager& CAppFixture::Manager() const
{
    return *App().GetDocManager();
}

CRidaxoDoc& CAppFixture::Doc() const
{
    return *Manager().GetRidaxoDoc();
}

CMainFrame* CAppFixture::Frame() const
{
    return GetMainFrame();
}

bool CAppFixture::CloseFrame()
{
    GetMainFrame()->Close(false);
    PumpEvents();
    return GetMainFrame() == nullptr;
}

void PressButton(wxDialog& dialog, int nId)
{
    auto* pButton = dynamic_cast<wxButton*>(dialog.FindWindow(nId));
    ASSERT_NE(pButton, nullptr);
    wxCommandEvent event(wxEVT_BUTTON, nId);
    event.SetEventObject(pButton);
    pButton->ProcessWindowEvent(event);
}

namespace
{
wxDialog* FindModalDialog()
{
    for (wxWindow* pWindow : wxTopLevelWindows) {
        auto* pDialog = dynamic_cast<wxDialog*>(pWindow);
        if (pDialog && pDialog->IsModal())
            return pDialog;
    }
    return nullptr;
}

void RunStep(std::shared_ptr<std::vector<std::function<void(wxDialog&)>>> pSteps, size_t nStep)
{
    wxDialog* pDialog = FindModalDialog();
    if (!pDialog) {
        // The dialog is not up yet, or already closed by an earlier step.
        if (nStep < pSteps->size())
            ADD_FAILURE() << "no modal dialog for step " << nStep;
        return;
    }
    if (nStep >= pSteps->size()) {
        ADD_FAILURE() << "the dialog is still open after the last step";
        pDialog->EndModal(wxID_CANCEL);
        return;
    }
    (*pSteps)[nStep](*pDialog);
    wxTheApp->CallAfter([pSteps, nStep] { RunStep(pSteps, nStep + 1); });
}
} // namespace

void RunModal(const std::function<void()>& fnShow, std::vector<std::function<void(wxDialog&)>> steps)
{
    auto pSteps = std::make_shared<std::vector<std::function<void(wxDialog&)>>>(std::move(steps));
    wxTheApp->CallAfter([pSteps] { RunStep(pSteps, 0); });
    fnShow();
}

std::string SamplePath()
{
    return RIDAXO_SAMPLES_DIR "/sample-aa.txt";
}

void CSampleFixture::ImportSample(int nAnswer)
{
    m_answers = {nAnswer};
    ASSERT_TRUE(Manager().OpenPath(SamplePath()));
    PumpEvents();
}

CCategoryTreeView& CSampleFixture::Tree() const
{
    return *Frame()->GetTreeView();
}

CAAListView& CSampleFixture::List() const
{
    return *Frame()->GetListView();
}

void CSampleFixture::SelectFolder(const wxTreeItemId& item)
{
    Tree().SelectItem(item);
    PumpEvents();
}

bool CSampleFixture::RenameFolder(const wxTreeItemId& item, const wxString& strName)
{
    // A new folder's editor opens once the events queued are done; it is
    // closed unchanged first.
    PumpEvents();
    if (Tree().GetEditControl()) {
        Tree().EndEditLabel(item, true);
        PumpEvents();
    }
    wxTreeEvent event(wxEVT_TREE_END_LABEL_EDIT, &Tree(), item);
    event.SetLabel(strName);
    Tree().ProcessWindowEvent(event);
    if (!event.IsAllowed())
        return false;
    Tree().SetItemText(item, strName);
    PumpEvents();
    return true;
}

wxPoint CSampleFixture::FolderPoint(const wxTreeItemId& item) const
{
    return TreeLabelPoint(Tree(), item);
}

void CSampleFixture::AddNamedFolder(const wxString& strName)
{
    Tree().AddFolder();
    ASSERT_TRUE(RenameFolder(Tree().GetSelection(), strName));
}

void CSampleFixture::SelectRow(int nRow)
{
    List().SetItemState(-1, 0, LXIS_SELECTED);
    List().SetItemState(nRow, LXIS_SELECTED | LXIS_FOCUSED, LXIS_SELECTED | LXIS_FOCUSED);
    PumpEvents();
}

wxString CSampleFixture::PaneText() const
{
    return Frame()->GetTextView()->GetValue();
}

void CGroupedSampleFixture::SetUp()
{
    CSampleFixture::SetUp();
    ImportSample(wxYES);
    m_messages.clear();
}

CCategory& CGroupedSampleFixture::Root() const
{
    return Doc().GetRootForSteps();
}

wxTreeItemId CGroupedSampleFixture::Item(const std::string& strName) const
{
    return FindTreeItem(Tree(), wxString::FromUTF8(strName));
}

CCategory* CGroupedSampleFixture::Category(const std::string& strName) const
{
    return Tree().GetItemCategory(Item(strName));
}
