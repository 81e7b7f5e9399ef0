#include "MainFrame.h"

#include "AAFacts.h"
#include "AAListView.h"
#include "AboutDlg.h"
#include "ArrangementCommand.h"
#include "Bitmaps.h"
#include "CategoryTreeView.h"
#include "DisplayText.h"
#include "Prompt.h"
#include "Resources.h"
#include "RidaxoApp.h"
#include "RidaxoDoc.h"
#include "RidaxoError.h"
#include "SettingsDlg.h"

#include "AASearch.h"
#include "Category.h"
#include "CategoryEdit.h"

#include <wx/accel.h>
#include <wx/checkbox.h>
#include <wx/dcscreen.h>
#include <wx/fontdlg.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/srchctrl.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include <algorithm>

namespace
{
CMainFrame* g_pMainFrame = nullptr;

constexpr int kTreeWidth = 200;
constexpr int kListHeight = 200;
constexpr int kNameColumnWidth = 300;

constexpr int kPaneMessage = CMainFrame::kPaneMessage;

// The status bar, which draws a pane marked as a warning in the warning
// colour. Drawing it so costs no more than any status text: a label of its
// own in the bar would make GTK lay the whole window out anew whenever its
// text changed.
class CRidaxoStatusBar : public wxStatusBar
{
public:
    CRidaxoStatusBar(wxWindow* pParent, wxWindowID nId, long nStyle, const wxString& strName)
        : wxStatusBar(pParent, nId, nStyle, strName)
    {}

    void SetWarned(int nPane, bool bWarned)
    {
        const unsigned nBit = 1U << nPane;
        const unsigned nWarned = bWarned ? m_nWarned | nBit : m_nWarned & ~nBit;
        if (nWarned != m_nWarned) {
            m_nWarned = nWarned;
            Refresh();
        }
    }
    bool IsWarned(int nPane) const { return (m_nWarned & (1U << nPane)) != 0; }

protected:
    // The bar's own update repaints the pane at once, so that a message
    // shows before a long operation. The facts' three panes change with
    // every AA shown: they are repainted together, with the rest of what
    // the click changed.
    void DoUpdateStatusText(int nPane) override
    {
        if (nPane == kPaneMessage) {
            wxStatusBar::DoUpdateStatusText(nPane);
            return;
        }
        wxRect rect;
        if (GetFieldRect(nPane, rect))
            Refresh(true, &rect);
    }

    void DrawFieldText(wxDC& dc, const wxRect& rect, int nPane, int nTextHeight) override
    {
        if (!IsWarned(nPane)) {
            wxStatusBar::DrawFieldText(dc, rect, nPane, nTextHeight);
            return;
        }
        const wxColour previous = dc.GetTextForeground();
        dc.SetTextForeground(*wxRED);
        wxStatusBar::DrawFieldText(dc, rect, nPane, nTextHeight);
        dc.SetTextForeground(previous);
    }

private:
    unsigned m_nWarned = 0;
};

// Appends a menu item whose status-bar prompt comes from the string table.
void AppendItem(wxMenu* pMenu, int nId, const char* pszLabel, wxItemKind nKind = wxITEM_NORMAL)
{
    pMenu->Append(nId, U8(pszLabel), GetCommandPrompt(nId), nKind);
}
} // namespace

void SetMainFrame(CMainFrame* pFrame)
{
    g_pMainFrame = pFrame;
    SetViewHost(pFrame);
}

CMainFrame* GetMainFrame()
{
    return g_pMainFrame;
}

CMainFrame::CMainFrame(CRidaxoDocManager& manager, const wxString& strTitle)
    : wxDocParentFrame(&manager, nullptr, wxID_ANY, strTitle, wxDefaultPosition, wxSize(900, 650)),
      MinCategoryItems(manager.GetGroupingSettings().m_nMinItems),
      SimilarityThreshold(manager.GetGroupingSettings().m_nThreshold)
{
    SetIcons(LoadAppIcons());
    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
    Bind(wxEVT_MENU, &CMainFrame::OnViewFont, this, ID_VIEW_FONT);
    Bind(wxEVT_MENU, &CMainFrame::OnSettings, this, ID_SETTINGS);
    Bind(wxEVT_MENU, &CMainFrame::OnAbout, this, wxID_ABOUT);
    for (int nId : {wxID_CUT, wxID_COPY, wxID_PASTE}) {
        Bind(wxEVT_MENU, &CMainFrame::OnEditCommand, this, nId);
        Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateEditCommand, this, nId);
    }
    for (int nId : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        Bind(wxEVT_MENU, &CMainFrame::OnToggleBar, this, nId);
        Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateToggleBar, this, nId);
    }
    Bind(wxEVT_MENU, &CMainFrame::OnPane, this, ID_NEXT_PANE);
    Bind(wxEVT_MENU, &CMainFrame::OnPane, this, ID_PREV_PANE);
    // Asking the window system for the lock keys is a round trip; twice a
    // second is enough for the indicators, where every idle event is not.
    m_keyStateTimer.Bind(wxEVT_TIMER, &CMainFrame::OnKeyStateTimer, this);
    m_keyStateTimer.Start(500);
    m_searchTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { RunSearch(); });
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&) {
            if (m_pSearchCtrl)
                m_pSearchCtrl->SetFocus();
        },
        ID_FIND);
}

CMainFrame::~CMainFrame()
{
    // Nothing may reach a destroyed frame through the global pointer.
    if (g_pMainFrame == this)
        g_pMainFrame = nullptr;
    if (GetViewHost() == this)
        SetViewHost(nullptr);
}

const CAAStore* CMainFrame::GetStore() const
{
    const CRidaxoDoc* pDoc = GetActiveDocument();
    return pDoc ? &pDoc->GetStore() : nullptr;
}

CCategory* CMainFrame::GetRootCategory()
{
    CRidaxoDoc* pDoc = GetActiveDocument();
    return pDoc ? &pDoc->GetRootForSteps() : nullptr;
}

CCategoryClip* CMainFrame::GetClip()
{
    CRidaxoDoc* pDoc = GetActiveDocument();
    return pDoc ? &pDoc->GetClip() : nullptr;
}

bool CMainFrame::HasUnansweredTextFileChange() const
{
    const CRidaxoDoc* pDoc = GetActiveDocument();
    return pDoc && pDoc->HasUnansweredTextFileChange();
}

void CMainFrame::SubmitStep(CArrangementCommand* pStep)
{
    if (CRidaxoDoc* pDoc = GetActiveDocument())
        pDoc->Submit(pStep);
    else
        delete pStep;
}

CArrangementHistory* CMainFrame::GetHistory()
{
    CRidaxoDoc* pDoc = GetActiveDocument();
    return pDoc ? pDoc->GetHistory() : nullptr;
}

bool CMainFrame::CreateContents()
{
    if (!CreateClientPanes())
        return false;
    CreateMenus();
    if (!CreateToolbar() || !CreateStatusBarPanes())
        return false;
    SetMainFrame(this);
    m_bPanesReady = true;
    return true;
}

bool CMainFrame::CreateClientPanes()
{
    m_wndSplitter = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_3D | wxSP_LIVE_UPDATE);
    m_pTreeView = new CCategoryTreeView(m_wndSplitter);
    m_wndSplitter2 =
        new wxSplitterWindow(m_wndSplitter, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_3D | wxSP_LIVE_UPDATE);
    // Above the list, the search field and its two toggles.
    auto* pListPane = new wxPanel(m_wndSplitter2);
    m_pSearchCtrl = new wxSearchCtrl(pListPane, wxID_ANY);
    m_pSearchCtrl->ShowCancelButton(true);
    m_pSearchCtrl->SetDescriptiveText(U8("AA の名前で検索 (Ctrl+F)"));
    m_pSearchBodies = new wxCheckBox(pListPane, wxID_ANY, U8("本文も検索"));
    m_pSearchInFolder = new wxCheckBox(pListPane, wxID_ANY, U8("選択フォルダ内のみ"));
    m_pListView = new CAAListView(pListPane);
    auto* pSearchRow = new wxBoxSizer(wxHORIZONTAL);
    pSearchRow->Add(m_pSearchCtrl, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(6));
    pSearchRow->Add(m_pSearchBodies, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(6));
    pSearchRow->Add(m_pSearchInFolder, 0, wxALIGN_CENTER_VERTICAL);
    auto* pListSizer = new wxBoxSizer(wxVERTICAL);
    pListSizer->Add(pSearchRow, 0, wxEXPAND | wxALL, FromDIP(2));
    pListSizer->Add(m_pListView, 1, wxEXPAND);
    pListPane->SetSizer(pListSizer);
    m_pSearchCtrl->Bind(wxEVT_TEXT, &CMainFrame::OnSearchTyped, this);
    m_pSearchCtrl->Bind(wxEVT_SEARCH, [this](wxCommandEvent&) { RunSearch(); });
    m_pSearchCtrl->Bind(wxEVT_SEARCH_CANCEL, [this](wxCommandEvent&) { EndSearch(); });
    m_pSearchCtrl->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (event.GetKeyCode() == WXK_ESCAPE && !event.HasAnyModifiers())
            EndSearch();
        else
            event.Skip();
    });
    for (wxCheckBox* pBox : {m_pSearchBodies, m_pSearchInFolder})
        pBox->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { RunSearch(); });
    // The text pane scrolls both ways and never wraps: an AA's lines must
    // stay as drawn. It shows the AA text file, which Ridaxo never writes,
    // so it takes no typing; its text can still be selected and copied.
    m_pTextView = new wxTextCtrl(m_wndSplitter2, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                 wxTE_MULTILINE | wxTE_DONTWRAP | wxTE_NOHIDESEL | wxTE_READONLY);

    // Panes keep their sizes when the window is resized, and neither
    // splitter can be closed by dragging a pane to nothing.
    for (wxSplitterWindow* pSplitter : {m_wndSplitter, m_wndSplitter2}) {
        pSplitter->SetMinimumPaneSize(20);
        pSplitter->SetSashGravity(0.0);
    }
    m_wndSplitter2->SplitHorizontally(pListPane, m_pTextView, kListHeight);
    m_wndSplitter->SplitVertically(m_pTreeView, m_wndSplitter2, kTreeWidth);

    m_pListView->InsertColumn(0, U8("名称"), LXCFMT_LEFT, kNameColumnWidth);
    m_pListView->EnableSortShading(true, 0);
    m_pListView->EnableSortMarks(true, 0);
    ApplyTextFont();
    return true;
}

void CMainFrame::CreateMenus()
{
    auto* pFile = new wxMenu;
    AppendItem(pFile, wxID_OPEN, "開く(&O)...\tCtrl+O");
    AppendItem(pFile, wxID_SAVE, "上書き保存(&S)\tCtrl+S");
    AppendItem(pFile, wxID_SAVEAS, "名前を付けて保存(&A)...");
    pFile->AppendSeparator();
    auto* pRecent = new wxMenu;
    pFile->AppendSubMenu(pRecent, U8("最近使ったﾌｧｲﾙ"), GetCommandPrompt(wxID_FILE1));
    pFile->AppendSeparator();
    AppendItem(pFile, wxID_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)");
    if (wxDocManager* pManager = GetDocumentManager()) {
        pManager->FileHistoryUseMenu(pRecent);
        pManager->FileHistoryAddFilesToMenu(pRecent);
    }

    auto* pEdit = new wxMenu;
    AppendItem(pEdit, wxID_UNDO, "元に戻す(&U)\tCtrl+Z");
    AppendItem(pEdit, wxID_REDO, "やり直し(&R)\tCtrl+Y");
    pEdit->AppendSeparator();
    AppendItem(pEdit, wxID_CUT, "切り取り(&T)\tCtrl+X");
    AppendItem(pEdit, wxID_COPY, "ｺﾋﾟｰ(&C)\tCtrl+C");
    AppendItem(pEdit, wxID_PASTE, "貼り付け(&P)\tCtrl+V");

    auto* pView = new wxMenu;
    AppendItem(pView, ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)", wxITEM_CHECK);
    AppendItem(pView, ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", wxITEM_CHECK);
    pView->AppendSeparator();
    AppendItem(pView, ID_VIEW_FONT, "フォント...");

    auto* pHelp = new wxMenu;
    AppendItem(pHelp, ID_SETTINGS, "設定...");
    pHelp->AppendSeparator();
    AppendItem(pHelp, wxID_ABOUT, "Ridaxo のﾊﾞｼﾞｰｮﾝ情報(&A)...");

    auto* pMenuBar = new wxMenuBar;
    pMenuBar->Append(pFile, U8("ﾌｧｲﾙ(&F)"));
    pMenuBar->Append(pEdit, U8("編集(&E)"));
    pMenuBar->Append(pView, U8("表示(&V)"));
    pMenuBar->Append(pHelp, U8("ﾍﾙﾌﾟ(&H)"));
    SetMenuBar(pMenuBar);

    // The shortcuts that the menu labels do not carry.
    wxAcceleratorEntry entries[] = {
        {wxACCEL_CTRL, 'N', wxID_NEW},           {wxACCEL_CTRL, 'P', wxID_PRINT},
        {wxACCEL_ALT, WXK_BACK, wxID_UNDO},      {wxACCEL_CTRL | wxACCEL_SHIFT, 'Z', wxID_REDO},
        {wxACCEL_SHIFT, WXK_DELETE, wxID_CUT},   {wxACCEL_CTRL, WXK_INSERT, wxID_COPY},
        {wxACCEL_SHIFT, WXK_INSERT, wxID_PASTE}, {wxACCEL_NORMAL, WXK_F6, ID_NEXT_PANE},
        {wxACCEL_SHIFT, WXK_F6, ID_PREV_PANE},   {wxACCEL_CTRL, 'F', ID_FIND},
    };
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(entries)), entries));
}

bool CMainFrame::CreateToolbar()
{
    wxToolBar* pToolBar = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT, ID_VIEW_TOOLBAR);
    if (!pToolBar)
        return false;
    const auto addTool = [pToolBar](int nId, EBitmap nBitmap) {
        pToolBar->AddTool(nId, GetCommandTooltip(nId), LoadBitmap(nBitmap), GetCommandTooltip(nId));
        pToolBar->SetToolLongHelp(nId, GetCommandPrompt(nId));
    };
    addTool(wxID_OPEN, EBitmap::ToolOpen);
    addTool(wxID_SAVE, EBitmap::ToolSave);
    pToolBar->AddSeparator();
    addTool(wxID_CUT, EBitmap::ToolCut);
    addTool(wxID_COPY, EBitmap::ToolCopy);
    addTool(wxID_PASTE, EBitmap::ToolPaste);
    pToolBar->AddSeparator();
    addTool(wxID_ABOUT, EBitmap::ToolAbout);
    return pToolBar->Realize();
}

bool CMainFrame::CreateStatusBarPanes()
{
    wxStatusBar* pStatusBar = CreateStatusBar(kPaneCount, wxSTB_DEFAULT_STYLE, ID_VIEW_STATUS_BAR);
    if (!pStatusBar)
        return false;
    const int nIndicator = FromDIP(48);
    // The facts' panes are as wide as their longest texts in the bar's own
    // font, whatever face and size the desktop gives it: a fixed width cut
    // "幅 171 ドット" short with a larger font.
    const auto fit = [&](const char* pWidest) { return pStatusBar->GetTextExtent(U8(pWidest)).x + FromDIP(16); };
    const int widths[kPaneCount] = {-1,
                                    fit("⚠ 8888 行 以上"),
                                    fit("幅 88888 ドット 以上"),
                                    fit("⚠ 888888 バイト 以上"),
                                    nIndicator,
                                    nIndicator,
                                    nIndicator,
                                    nIndicator};
    SetStatusWidths(kPaneCount, widths);
    SetStatusBarPane(kPaneMessage);
    SetStatusText(LoadResString(IDS_IDLE), kPaneMessage);
    return true;
}

wxStatusBar* CMainFrame::OnCreateStatusBar(int nNumber, long nStyle, wxWindowID nId, const wxString& strName)
{
    auto* pStatusBar = new CRidaxoStatusBar(this, nId, nStyle, strName);
    pStatusBar->SetFieldsCount(nNumber);
    return pStatusBar;
}

bool CMainFrame::IsStatusPaneWarned(int nPane) const
{
    const auto* pStatusBar = dynamic_cast<const CRidaxoStatusBar*>(GetStatusBar());
    return pStatusBar && pStatusBar->IsWarned(nPane);
}

void CMainFrame::ShowFacts(const CAAFacts* pFacts, bool bCut)
{
    auto* pStatusBar = dynamic_cast<CRidaxoStatusBar*>(GetStatusBar());
    if (!pStatusBar)
        return;
    wxString strLines;
    wxString strWidth;
    wxString strBytes;
    if (pFacts) {
        // Of an AA shown in part, each fact is what the part alone has.
        const wxString strAtLeast = bCut ? U8(" 以上") : wxString();
        strLines = wxString::Format(U8("%zu 行"), pFacts->m_nLines) + strAtLeast;
        strWidth = wxString::Format(U8("幅 %d ドット"), pFacts->m_nWidth) + strAtLeast;
        strBytes = wxString::Format(U8("%zu バイト"), pFacts->m_nBytes) + strAtLeast;
        // A mark besides the colour, for those who cannot tell red.
        if (pFacts->HasTooManyLines())
            strLines = U8("⚠ ") + strLines;
        if (pFacts->HasTooManyBytes())
            strBytes = U8("⚠ ") + strBytes;
    }
    pStatusBar->SetWarned(kStatusLines, pFacts && pFacts->HasTooManyLines());
    pStatusBar->SetWarned(kStatusBytes, pFacts && pFacts->HasTooManyBytes());
    const std::pair<int, const wxString*> panes[] = {
        {kStatusLines, &strLines}, {kStatusWidth, &strWidth}, {kStatusBytes, &strBytes}};
    for (const auto& [nPane, pText] : panes)
        if (pStatusBar->GetStatusText(nPane) != *pText)
            pStatusBar->SetStatusText(*pText, nPane);
}

void CMainFrame::UpdateTitle()
{
    const CRidaxoDoc* pDoc = GetActiveDocument();
    wxString strTitle = LoadResString(IDS_APP_TITLE);
    if (pDoc)
        strTitle = pDoc->GetUserReadableName() + (pDoc->IsModified() ? "*" : "") + " - " + strTitle;
    SetTitle(strTitle);
}

void CMainFrame::ApplyTextFont()
{
    wxScreenDC dc;
    const wxFont& font = m_fontSpec.MakeFont(dc.GetPPI().y);
    if (m_pTextView) {
        m_pTextView->SetFont(font);
        m_pTextView->Refresh();
    }
}

void CMainFrame::EditSettings()
{
    CSettingsDlg dialog(this);
    dialog.m_nThreshold = SimilarityThreshold;
    dialog.m_nMinItems = MinCategoryItems;
    if (dialog.ShowModal() != wxID_OK)
        return;
    SimilarityThreshold = dialog.m_nThreshold;
    MinCategoryItems = dialog.m_nMinItems;
}

void CMainFrame::OnClose(wxCloseEvent& event)
{
    // From here on the panes may go at any moment; nothing is shown in them.
    m_bPanesReady = false;
    wxDocManager* pManager = GetDocumentManager();
    if (pManager && !pManager->Clear(!event.CanVeto())) {
        // The user kept the document open, and with it the window.
        m_bPanesReady = true;
        event.Veto();
        return;
    }
    Destroy();
}

void CMainFrame::OnViewFont(wxCommandEvent& /*event*/)
{
    wxScreenDC dc;
    m_fontSpec.BuildLogFont(dc.GetPPI().y);
    wxFontData data;
    // The font is made by pixel height; the dialog shows it in points.
    wxFont initial = m_fontSpec.m_font;
    initial.SetFaceName(m_fontSpec.GetEffectiveFaceName());
    initial.SetPointSize(m_fontSpec.m_nPointSize);
    data.SetInitialFont(initial);
    data.EnableEffects(true);
    wxFontDialog dialog(this, data);
    if (dialog.ShowModal() != wxID_OK)
        return;
    // The colour the dialog offers is not used: AAs are drawn in the pane's
    // own text colour.
    m_fontSpec.ApplyChosenFont(dialog.GetFontData().GetChosenFont());
    ApplyTextFont();
}

void CMainFrame::OnSettings(wxCommandEvent& /*event*/)
{
    EditSettings();
}

void CMainFrame::OnAbout(wxCommandEvent& /*event*/)
{
    CAboutDlg dialog(this);
    dialog.ShowModal();
}

wxWindow* CMainFrame::GetBar(int nId) const
{
    return nId == ID_VIEW_TOOLBAR ? static_cast<wxWindow*>(GetToolBar()) : static_cast<wxWindow*>(GetStatusBar());
}

void CMainFrame::OnToggleBar(wxCommandEvent& event)
{
    if (wxWindow* pBar = GetBar(event.GetId())) {
        pBar->Show(!pBar->IsShown());
        SendSizeEvent();
    }
}

void CMainFrame::OnUpdateToggleBar(wxUpdateUIEvent& event)
{
    const wxWindow* pBar = GetBar(event.GetId());
    event.Check(pBar && pBar->IsShown());
}

void CMainFrame::CycleFocus(int nStep)
{
    wxWindow* panes[] = {m_pTreeView, m_pListView, m_pTextView};
    const int nCount = static_cast<int>(std::size(panes));
    int nCurrent = 0;
    for (int i = 0; i < nCount; ++i) {
        if (panes[i] && panes[i] == FindFocus())
            nCurrent = i;
    }
    wxWindow* pNext = panes[(nCurrent + nStep + nCount) % nCount];
    if (pNext)
        pNext->SetFocus();
}

void CMainFrame::OnPane(wxCommandEvent& event)
{
    CycleFocus(event.GetId() == ID_NEXT_PANE ? 1 : -1);
}

void CMainFrame::OnKeyStateTimer(wxTimerEvent& /*event*/)
{
    wxStatusBar* pStatusBar = GetStatusBar();
    if (!pStatusBar || !pStatusBar->IsShown())
        return;
    const struct
    {
        int m_nPane;
        wxKeyCode m_nKey;
        const char* m_pszText;
    } indicators[] = {
        {kPaneCaps, WXK_CAPITAL, "CAP"},
        {kPaneNum, WXK_NUMLOCK, "NUM"},
        {kPaneScroll, WXK_SCROLL, "SCRL"},
    };
    for (const auto& indicator : indicators) {
        const wxString strText = wxGetKeyState(indicator.m_nKey) ? wxString(indicator.m_pszText) : wxString();
        if (pStatusBar->GetStatusText(indicator.m_nPane) != strText)
            pStatusBar->SetStatusText(strText, indicator.m_nPane);
    }
}
