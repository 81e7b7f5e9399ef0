// Opens the bundled sample in the real window, picks a folder and an AA as a
// user would, and saves a picture of the screen: the README's screenshot.
//
// Usage: ridaxo-screenshot SAMPLE.txt OUTPUT.png   (run it under xvfb-run)
#include "AAListView.h"
#include "CategoryTreeView.h"
#include "MainFrame.h"
#include "Prompt.h"
#include "RidaxoApp.h"

#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/timer.h>

#include <cstdio>
#include <memory>

class CScreenshotApp : public CRidaxoApp
{
public:
    bool OnInit() override
    {
        if (argc != 3) {
            std::fputs("usage: ridaxo-screenshot SAMPLE.txt OUTPUT.png\n", stderr);
            return false;
        }
        m_strOutput = argv[2];
        // Yes to the grouping question.
        m_pAnswers = std::make_unique<CMessageBoxOverride>([](const wxString&, long) { return wxYES; });
        wxInitAllImageHandlers();
        if (!StartUp(argv[1]))
            return false;
        CallAfter([this] { PickFolderAndAA(); });
        return true;
    }

private:
    void PickFolderAndAA()
    {
        CMainFrame* pFrame = GetMainFrame();
        CCategoryTreeView* pTree = pFrame->GetTreeView();
        const wxTreeItemId root = pTree->GetRootItem();
        pTree->Expand(root);
        // The frames folder, and its fourth AA: a frame whose right edge
        // lines up only in the AA font.
        wxTreeItemIdValue cookie;
        wxTreeItemId folder = pTree->GetFirstChild(root, cookie);
        for (int i = 0; i < 3 && folder.IsOk(); ++i)
            folder = pTree->GetNextChild(root, cookie);
        pTree->SelectItem(folder.IsOk() ? folder : root);
        pFrame->GetListView()->SetItemState(3, LXIS_SELECTED | LXIS_FOCUSED, LXIS_SELECTED | LXIS_FOCUSED);
        // Let the window settle and paint before the picture is taken.
        m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { SaveScreen(); });
        m_timer.StartOnce(1500);
    }

    void SaveScreen()
    {
        CMainFrame* pFrame = GetMainFrame();
        const wxRect rect = pFrame->GetScreenRect();
        wxBitmap bitmap(rect.GetSize());
        {
            wxScreenDC screen;
            wxMemoryDC memory(bitmap);
            memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
        }
        const bool bSaved = bitmap.ConvertToImage().SaveFile(m_strOutput, wxBITMAP_TYPE_PNG);
        m_nExitCode = bSaved ? 0 : 1;
        pFrame->Close(true);
    }

    int OnExit() override
    {
        CRidaxoApp::OnExit();
        return m_nExitCode;
    }

    wxString m_strOutput;
    std::unique_ptr<CMessageBoxOverride> m_pAnswers;
    wxTimer m_timer;
    int m_nExitCode = 1;
};

wxIMPLEMENT_APP(CScreenshotApp);
