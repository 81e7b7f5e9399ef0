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
// How long typing in the search field pauses before the search runs.
constexpr int kSearchDelayMs = 200;

constexpr int kPaneMessage = CMainFrame::kPaneMessage;
constexpr int kPaneCount = CMainFrame::kPaneCount;

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

// The edit menu's label of undo or redo, naming strStep when there is one;
// the shortcut stays with it.
wxString MakeUndoLabel(int nId, const wxString& strStep)
{
    const bool bUndo = nId == wxID_UNDO;
    const wxString strVerb = U8(bUndo ? "元に戻す" : "やり直し");
    const wxString strKey = bUndo ? "(&U)\tCtrl+Z" : "(&R)\tCtrl+Y";
    return strStep.empty() ? strVerb + strKey : strVerb + ": " + strStep + strKey;
}

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

CMainFrame::CMainFrame(wxDocManager* pManager, const wxString& strTitle)
    : wxDocParentFrame(pManager, nullptr, wxID_ANY, strTitle, wxDefaultPosition, wxSize(900, 650))
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

CRidaxoDoc* CMainFrame::GetActiveDocument() const
{
    wxDocManager* pManager = GetDocumentManager();
    return pManager ? dynamic_cast<CRidaxoDoc*>(pManager->GetCurrentDocument()) : nullptr;
}

void CMainFrame::ClearViews()
{
    // A search of the file that was open means nothing in the next.
    m_searchTimer.Stop();
    if (m_pSearchCtrl)
        m_pSearchCtrl->ChangeValue(wxString());
    ShowPaneText({});
    if (m_pListView)
        m_pListView->Clear();
    if (m_pTreeView)
        m_pTreeView->DeleteAllItems();
    m_bTextReadFailed = false;
}

void CMainFrame::RefreshTree()
{
    if (m_bPanesReady && m_pTreeView)
        m_pTreeView->RebuildTree();
}

void CMainFrame::OnSearchTyped(wxCommandEvent& /*event*/)
{
    // Each keystroke starts the wait anew: the search runs once, when the
    // typing pauses.
    m_searchTimer.StartOnce(kSearchDelayMs);
}

void CMainFrame::EndSearch()
{
    m_searchTimer.Stop();
    if (m_pSearchCtrl && !m_pSearchCtrl->IsEmpty())
        m_pSearchCtrl->ChangeValue(wxString());
    SetStatusText(LoadResString(IDS_IDLE), kPaneMessage);
    ShowCategory();
}

void CMainFrame::RunSearch()
{
    m_searchTimer.Stop();
    if (!m_bPanesReady || !m_pSearchCtrl || !m_pListView)
        return;
    CRidaxoDoc* pDoc = GetActiveDocument();
    const wxString strTyped = m_pSearchCtrl->GetValue();
    if (strTyped.empty() || !pDoc) {
        EndSearch();
        return;
    }
    const std::optional<CSearchText> text = CSearchText::FromUtf8(strTyped.utf8_string());
    if (!text) {
        m_pListView->ShowResults({});
        SetStatusText(U8("検索する文字列に Shift-JIS で書けない文字があるため、一致する AA はありません。"),
                      kPaneMessage);
        return;
    }
    // Bodies are read from the AA text file: not from one that changed
    // since it was loaded, whose AAs no longer lie where the store says.
    const bool bBodies = m_pSearchBodies->GetValue() && !pDoc->HasUnansweredTextFileChange();
    std::vector<int> found;
    try {
        wxBusyCursor busy;
        found = pDoc->GetStore().FindAAs(*text, bBodies);
    } catch (const CRidaxoError& error) {
        found = pDoc->GetStore().FindAAs(*text, false);
        ReportTextFileError(
            FormatErrorText(U8("AA テキストファイルを読めないため、本文は検索しませんでした。"), error));
    }
    const CCategory* pFolder = m_pTreeView ? m_pTreeView->GetItemCategory(m_pTreeView->GetSelection()) : nullptr;
    if (m_pSearchInFolder->GetValue() && pFolder) {
        const std::vector<int> branch = CollectBranchAAs(*pFolder);
        std::vector<int> inBranch;
        std::set_intersection(found.begin(), found.end(), branch.begin(), branch.end(), std::back_inserter(inBranch));
        found.swap(inBranch);
    }
    m_pListView->ShowResults(found);
    SetStatusText(found.empty() ? U8("一致する AA はありません。")
                                : wxString::Format(U8("%zu 件の AA が見つかりました。"), found.size()),
                  kPaneMessage);
}

bool CMainFrame::IsSearching() const
{
    return m_pSearchCtrl && !m_pSearchCtrl->IsEmpty();
}

void CMainFrame::ShowCategory()
{
    if (!m_bPanesReady || !m_pTreeView || !m_pListView)
        return;
    // While a search is shown, another folder selected is searched within
    // when the search is limited to it; the results stay otherwise.
    if (IsSearching()) {
        if (m_pSearchInFolder->GetValue())
            RunSearch();
        return;
    }
    if (CCategory* pCategory = m_pTreeView->GetItemCategory(m_pTreeView->GetSelection())) {
        m_pListView->Fill(pCategory);
        return;
    }
    // No folder is selected: the list must not keep a folder that may have
    // gone, nor the text pane an AA the list no longer holds.
    m_pListView->Clear();
    ShowPaneText({});
}

CViewState CMainFrame::CaptureViewState() const
{
    CViewState state;
    if (!m_bPanesReady || !m_pTreeView || !m_pListView)
        return state;
    state.m_pFolder = m_pTreeView->GetItemCategory(m_pTreeView->GetSelection());
    if (m_pListView->GetCategory())
        state.m_selectedAAs = m_pListView->GetSelectedAAs();
    return state;
}

void CMainFrame::ShowArrangementChange(const std::vector<CCategory*>& parents, const CCategory* pRenamed,
                                       const CViewState* pState)
{
    CRidaxoDoc* pDoc = GetActiveDocument();
    if (!m_bPanesReady || !m_pTreeView || !m_pListView || !pDoc)
        return;
    for (auto it = parents.begin(); it != parents.end(); ++it) {
        if (std::find(parents.begin(), it, *it) == it)
            m_pTreeView->ShowChildrenOf(**it);
    }
    if (pRenamed)
        m_pTreeView->ShowName(*pRenamed);
    // A folder taken out lives on in the step that took it, and goes when
    // that step leaves the history: nothing may keep pointing at it.
    const CCategory& root = pDoc->GetRootForSteps();
    pDoc->GetClip().ForgetUnlessUnder(root);
    if (pState) {
        m_pTreeView->SelectCategory(pState->m_pFolder);
        ShowCategory();
        if (m_pListView->GetCategory())
            m_pListView->SelectAAs(pState->m_selectedAAs);
        return;
    }
    const CCategory* pListed = m_pListView->GetCategory();
    if (pListed && !IsInBranch(*pListed, root))
        ShowCategory();
}

void CMainFrame::ShowSelectedAA()
{
    if (!m_bPanesReady || !m_pListView || !m_pTextView)
        return;
    CRidaxoDoc* pDoc = GetActiveDocument();
    int nRow = m_pListView->GetFirstSelectedRow();
    if (nRow < 0)
        nRow = 0;
    if (!pDoc || nRow >= m_pListView->GetRowCount()) {
        ShowPaneText({});
        return;
    }
    if (pDoc->HasUnansweredTextFileChange()) {
        // The AAs may no longer begin at the offsets the store holds: what
        // lies there now is no AA to show.
        ShowPaneText({});
        if (!m_bReloadQuestionPending) {
            m_bReloadQuestionPending = true;
            // Asked after the notification that led here has been handled,
            // as ReportTextFileError does.
            CallAfter(&CMainFrame::AskReloadTextFile);
        }
        return;
    }
    try {
        // Only what the pane can show is read: a body of one enormous line
        // would otherwise cost its whole size before most of it is cut.
        const std::string strText =
            pDoc->GetStore().GetTextHead(m_pListView->GetRowAA(nRow), kPaneLineBytes + 1, kPaneTextBytes, ::kPaneLines);
        m_bTextReadFailed = false;
        ShowPaneText(strText, pDoc->GetStore().ResolvesReferences());
    } catch (const CRidaxoError& error) {
        ShowPaneText({});
        if (!m_bTextReadFailed) {
            m_bTextReadFailed = true;
            ReportTextFileError(FormatErrorText(U8("AA テキストファイルを読めません。"), error));
        }
    }
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

void CMainFrame::ShowPaneText(std::string_view strBody, bool bReferences)
{
    if (!m_pTextView)
        return;
    const CPaneText shown = MakePaneText(strBody, bReferences);
    m_pTextView->ChangeValue(wxString::FromUTF8(shown.m_strUtf8));
    // The facts are those of the body the pane was given: the whole of an
    // AA it shows whole. Nothing is shown, nothing is measured.
    if (strBody.empty()) {
        ShowFacts(nullptr, false);
    } else {
        const CAAFacts facts = MeasureAABody(strBody, bReferences);
        ShowFacts(&facts, shown.m_bCut);
    }
    // The note stays while the AA it speaks of is shown, and gives way to
    // the idle text after it; other messages are left alone.
    wxStatusBar* pStatusBar = GetStatusBar();
    if (!pStatusBar)
        return;
    const wxString strNote = U8("この AA は長いため、一部だけを表示しています。");
    if (shown.m_bCut)
        pStatusBar->SetStatusText(strNote, kPaneMessage);
    else if (pStatusBar->GetStatusText(kPaneMessage) == strNote)
        pStatusBar->SetStatusText(LoadResString(IDS_IDLE), kPaneMessage);
}

void CMainFrame::ReportTextFileError(const wxString& strText)
{
    // Shown after the notification that led here has been handled, so the
    // message box never runs inside the list's own event processing.
    CallAfter([strText] { RidaxoMessageBox(strText, wxOK | wxICON_ERROR); });
}

void CMainFrame::AskReloadTextFile()
{
    m_bReloadQuestionPending = false;
    CRidaxoDoc* pDoc = GetActiveDocument();
    if (!pDoc || !pDoc->HasUnansweredTextFileChange())
        return;
    const wxString strQuestion =
        U8("読み込んだ後で AA テキストファイルが変更されたため、AA の位置が合わなくなっています。") + "\n\n" +
        wxString(pDoc->GetStore().GetPathRef().c_str(), *wxConvFileName) + "\n\n" +
        U8("読み込み直しますか？ カテゴリの構成はそのまま残ります。");
    if (RidaxoMessageBox(strQuestion, wxYES_NO | wxICON_QUESTION) == wxYES) {
        if (pDoc->ReloadTextFile() && m_pListView)
            m_pListView->Refresh(); // the names may have changed
    } else {
        pDoc->KeepChangedTextFile();
    }
    ShowSelectedAA();
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

bool CMainFrame::TryBefore(wxEvent& event)
{
    const int nId = event.GetId();
    if (nId == wxID_UNDO || nId == wxID_REDO) {
        if (event.GetEventType() == wxEVT_MENU) {
            OnEditCommand(static_cast<wxCommandEvent&>(event));
            return true;
        }
        if (event.GetEventType() == wxEVT_UPDATE_UI) {
            OnUpdateEditCommand(static_cast<wxUpdateUIEvent&>(event));
            return true;
        }
    }
    return wxDocParentFrame::TryBefore(event);
}

void CMainFrame::OnEditCommand(wxCommandEvent& event)
{
    // The edit commands act on the pane that has the focus. In a text field
    // (the search field too), the text pane or a label being edited, they
    // edit text. Anywhere else undo and redo go through the arrangement's
    // history. In the tree and the list, cut and copy mark the selected
    // folder or AAs, and paste puts what was marked into the tree's
    // selected folder, the one the list shows.
    wxWindow* pFocus = FindFocus();
    const int nId = event.GetId();
    auto* pText = dynamic_cast<wxTextEntry*>(pFocus);
    if ((nId == wxID_UNDO || nId == wxID_REDO) && !pText) {
        if (CRidaxoDoc* pDoc = GetActiveDocument())
            nId == wxID_UNDO ? pDoc->UndoStep() : pDoc->RedoStep();
        return;
    }
    if (IsTreeOrList(pFocus)) {
        if (nId == wxID_PASTE) {
            m_pTreeView->Paste();
            // What cut or copy said to do next has been done.
            SetStatusText(LoadResString(IDS_IDLE), kPaneMessage);
        } else if (nId == wxID_COPY && pFocus == m_pListView && m_pListView->IsShowingResults()) {
            // Search results are copied as text only: they have no folder
            // that a paste would take them from.
            m_pListView->CopySelectedText();
        } else if (nId == wxID_CUT || nId == wxID_COPY) {
            if (pFocus == m_pListView)
                m_pListView->MarkSelected(nId == wxID_CUT);
            else
                m_pTreeView->MarkSelected(nId == wxID_CUT);
            ReportMarked();
        } else {
            event.Skip();
        }
        return;
    }
    if (!pText) {
        event.Skip();
        return;
    }
    switch (nId) {
    case wxID_UNDO:
        pText->Undo();
        break;
    case wxID_REDO:
        pText->Redo();
        break;
    case wxID_CUT:
        pText->Cut();
        break;
    case wxID_COPY:
        pText->Copy();
        break;
    case wxID_PASTE:
        pText->Paste();
        break;
    default:
        event.Skip();
        break;
    }
}

void CMainFrame::OnUpdateEditCommand(wxUpdateUIEvent& event)
{
    const wxWindow* pFocus = FindFocus();
    const auto* pText = dynamic_cast<const wxTextEntry*>(pFocus);
    const int nId = event.GetId();
    bool bEnable = false;
    if ((nId == wxID_UNDO || nId == wxID_REDO) && !pText) {
        // The item names the step it takes back or does again.
        const CRidaxoDoc* pDoc = GetActiveDocument();
        const CArrangementHistory* pHistory = pDoc ? pDoc->GetHistory() : nullptr;
        const CArrangementCommand* pStep = nullptr;
        if (pHistory)
            pStep = nId == wxID_UNDO ? pHistory->GetUndoStep() : pHistory->GetRedoStep();
        bEnable = pStep != nullptr;
        event.SetText(MakeUndoLabel(nId, pStep ? pStep->GetName() : wxString()));
    } else if ((nId == wxID_UNDO || nId == wxID_REDO) && pText) {
        bEnable = nId == wxID_UNDO ? pText->CanUndo() : pText->CanRedo();
        event.SetText(MakeUndoLabel(nId, wxString()));
    } else if (IsTreeOrList(pFocus)) {
        switch (nId) {
        case wxID_CUT:
        case wxID_COPY:
            bEnable = pFocus == m_pListView ? m_pListView->CanMarkSelected() : m_pTreeView->CanMarkSelected();
            if (pFocus == m_pListView && nId == wxID_COPY && m_pListView->IsShowingResults())
                bEnable = m_pListView->GetSelectedCount() > 0;
            break;
        case wxID_PASTE:
            bEnable = m_pTreeView->CanPaste();
            break;
        default:
            break;
        }
    } else if (pText) {
        switch (nId) {
        case wxID_CUT:
            bEnable = pText->CanCut();
            break;
        case wxID_COPY:
            bEnable = pText->CanCopy();
            break;
        case wxID_PASTE:
            // Not CanPaste: that asks the clipboard's owner and waits for
            // the answer, on every idle event while a field has the focus,
            // a third of what opening a label editor cost. Pasting nothing
            // into an editable field is harmless.
            bEnable = pText->IsEditable();
            break;
        default:
            break;
        }
    }
    event.Enable(bEnable);
}

bool CMainFrame::IsTreeOrList(const wxWindow* pWindow) const
{
    return m_bPanesReady && m_pTreeView && m_pListView && pWindow && (pWindow == m_pTreeView || pWindow == m_pListView);
}

void CMainFrame::ReportMarked()
{
    const CRidaxoDoc* pDoc = GetActiveDocument();
    if (!pDoc)
        return;
    const CCategoryClip& clip = pDoc->GetClip();
    wxString strWhat;
    switch (clip.GetKind()) {
    case CCategoryClip::EKind::None:
        return;
    case CCategoryClip::EKind::AAs:
        strWhat = wxString::Format(U8("%d 個の AA "), static_cast<int>(clip.GetAAs().size()));
        break;
    case CCategoryClip::EKind::Folder:
        strWhat = U8("フォルダ「") + ToDisplay(clip.GetFolder()->GetNameRef()) + U8("」");
        break;
    }
    SetStatusText(strWhat + (clip.IsCut() ? U8("を切り取りました。移動先のフォルダを選んで貼り付けてください。")
                                          : U8("をコピーしました。コピー先のフォルダを選んで貼り付けてください。")),
                  kPaneMessage);
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
