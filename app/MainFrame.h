#pragma once

#include "FontSpec.h"
#include "ViewHost.h"

#include <string_view>
#include <vector>

#include <wx/docview.h>
#include <wx/timer.h>

struct CAAFacts;
struct CViewState;
class CAAListView;
class CCategory;
class CCategoryTreeView;
class CRidaxoDoc;
class CRidaxoDocManager;
class wxCheckBox;
class wxSearchCtrl;
class wxSplitterWindow;
class wxTextCtrl;

// The main window: menus, toolbar, status bar and three panes — the category
// tree on the left, the AAs of the selected folder at the top right and the
// selected AA's text below them. It is also the hub through which the
// panes reach the document (they see it as their IViewHost); the document
// reaches it only through its view (CRidaxoView). It holds the text pane's
// font; the grouping settings are the document manager's, which the frame
// shows and edits.
class CMainFrame : public wxDocParentFrame, public IViewHost
{
public:
    // The status bar's panes: messages, the shown AA's facts, then the
    // indicators of the input method and the lock keys.
    enum EStatusPane
    {
        kPaneMessage,
        kStatusLines,
        kStatusWidth,
        kStatusBytes,
        kPaneKana,
        kPaneCaps,
        kPaneNum,
        kPaneScroll,
        kPaneCount
    };

    CMainFrame(CRidaxoDocManager& manager, const wxString& strTitle);
    ~CMainFrame() override;

    // Builds the panes, the toolbar and the status bar; false when any of
    // them cannot be made.
    bool CreateContents();

    CCategoryTreeView* GetTreeView() const override { return m_pTreeView; }
    CAAListView* GetListView() const override { return m_pListView; }
    wxSearchCtrl* GetSearchCtrl() const { return m_pSearchCtrl; }
    wxCheckBox* GetSearchBodiesBox() const { return m_pSearchBodies; }
    wxCheckBox* GetSearchInFolderBox() const { return m_pSearchInFolder; }
    // Lists the AAs the search field's text matches, at once (typing runs
    // it after a short pause); an empty field lists the selected folder.
    void RunSearch();
    // Empties the search field and lists the folder selected in the tree.
    void EndSearch();
    bool IsSearching() const;
    wxTextCtrl* GetTextView() const { return m_pTextView; }
    CRidaxoDoc* GetActiveDocument() const;

    // Empties the text pane, the list and the tree. Works whether or not the
    // panes are ready.
    void ClearViews();
    // The tree shows the document's categories anew.
    void RefreshTree();
    // The list shows the AAs of the tree's selected folder; with no folder
    // selected it is emptied.
    void ShowCategory() override;
    // The text pane shows the first selected AA of the list, or row 0's when
    // none is selected; it is emptied when the list has no rows. The AA is
    // read anew from the AA text file; when that fails the pane is emptied
    // and the failure reported, once until showing succeeds again. When the
    // text file was changed since it was loaded, the pane is emptied and
    // the user asked whether to read it again first.
    void ShowSelectedAA() override;

    // What the panes show of the arrangement now.
    CViewState CaptureViewState() const override;
    // A step of the undo history changed the model: the tree shows the
    // sub-folders of parents anew and pRenamed's name (either may be
    // empty), and nothing shows a folder that left the tree. pState, when
    // given, is what the panes show then: its folder selected and listed
    // (or the search results, while a search is shown), its AAs' rows
    // selected.
    void ShowArrangementChange(const std::vector<CCategory*>& parents, const CCategory* pRenamed,
                               const CViewState* pState) override;

    // The panes' view of the active document.
    const CAAStore* GetStore() const override;
    CCategory* GetRootCategory() override;
    CCategoryClip* GetClip() override;
    bool HasUnansweredTextFileChange() const override;
    void SubmitStep(CArrangementCommand* pStep) override;
    CArrangementHistory* GetHistory() override;

    // The caption: the document's name, a mark when it has unsaved changes,
    // then the program's name.
    void UpdateTitle();

    // Shows the settings dialog and takes its values on OK.
    void EditSettings();
    // The text pane takes the font m_fontSpec describes.
    void ApplyTextFont();

    // True when the status bar shows pane nPane (kStatusLines or kStatusBytes)
    // as a warning: the shown AA is more than a typical board takes.
    bool IsStatusPaneWarned(int nPane) const;

    bool m_bPanesReady = false;
    // The document manager's grouping settings (its GetGroupingSettings)
    // under the frame's names: the document opens files with them without
    // knowing the frame. The manager outlives the frame.
    unsigned& MinCategoryItems;
    unsigned& SimilarityThreshold;
    CFontSpec m_fontSpec;

private:
    bool CreateClientPanes();
    void CreateMenus();
    bool CreateToolbar();
    bool CreateStatusBarPanes();
    void CycleFocus(int nStep);
    // The toolbar or the status bar, by the command that shows or hides it.
    wxWindow* GetBar(int nId) const;
    // Shows an AA's body in the text pane, as much of it as the pane can
    // show at once (MakePaneText), with a note in the status bar when that
    // is not all of it, and the facts of what it was given in the status
    // bar; an empty body empties the pane. bReferences: the body's character
    // references show, and are measured, as their characters.
    void ShowPaneText(std::string_view strBody, bool bReferences = false);
    // Shows the facts of the AA shown in the status bar; bCut: the body is
    // only the part the pane shows, so each fact is a least value.
    void ShowFacts(const CAAFacts* pFacts, bool bCut);
    wxStatusBar* OnCreateStatusBar(int nNumber, long nStyle, wxWindowID nId, const wxString& strName) override;
    void ReportTextFileError(const wxString& strText);
    void AskReloadTextFile();
    // True for the tree and the list, where the edit commands move and
    // copy folders and AAs.
    bool IsTreeOrList(const wxWindow* pWindow) const;
    // Says in the status bar what cut or copy marked and what comes next.
    void ReportMarked();

    void OnClose(wxCloseEvent& event);
    void OnViewFont(wxCommandEvent& event);
    void OnSettings(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    // The document manager, which the frame asks first, would take undo
    // and redo to the history whatever has the focus: here, as the other
    // edit commands, they go to the focused pane.
    bool TryBefore(wxEvent& event) override;
    void OnEditCommand(wxCommandEvent& event);
    void OnUpdateEditCommand(wxUpdateUIEvent& event);
    void OnToggleBar(wxCommandEvent& event);
    void OnUpdateToggleBar(wxUpdateUIEvent& event);
    void OnPane(wxCommandEvent& event);
    void OnKeyStateTimer(wxTimerEvent& event);
    void OnSearchTyped(wxCommandEvent& event);

    wxSplitterWindow* m_wndSplitter = nullptr;
    wxSplitterWindow* m_wndSplitter2 = nullptr;
    CCategoryTreeView* m_pTreeView = nullptr;
    CAAListView* m_pListView = nullptr;
    wxTextCtrl* m_pTextView = nullptr;
    // Set while a failure to read the AA text file has been reported and
    // showing an AA has not worked since.
    bool m_bTextReadFailed = false;
    // Set while the question about a changed AA text file waits to be asked.
    bool m_bReloadQuestionPending = false;
    wxTimer m_keyStateTimer;
    wxSearchCtrl* m_pSearchCtrl = nullptr;
    wxCheckBox* m_pSearchBodies = nullptr;
    wxCheckBox* m_pSearchInFolder = nullptr;
    // Runs the search once typing has paused.
    wxTimer m_searchTimer;
};

// The process's one main frame, set when it is built and never cleared.
void SetMainFrame(CMainFrame* pFrame);
CMainFrame* GetMainFrame();
