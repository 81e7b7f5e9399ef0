#pragma once

#include "Prompt.h"

#include <gtest/gtest.h>

#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>
#include <wx/treebase.h>

#include <functional>
#include <string>
#include <vector>

class CAAListView;
class CCategoryTreeView;
class CMainFrame;
class CRidaxoApp;
class CRidaxoDoc;
class CRidaxoDocManager;
class wxDialog;

class wxWindow;

class wxTreeCtrlBase;

// The first item of tree labelled strLabel, depth first; an invalid item
// when there is none.
wxTreeItemId FindTreeItem(const wxTreeCtrlBase& tree, const wxString& strLabel);
// The middle of item's label in tree's client coordinates, scrolled into
// view.
wxPoint TreeLabelPoint(wxTreeCtrlBase& tree, const wxTreeItemId& item);

// Sends window the mouse event of type nType at point (client coordinates),
// with the left button down or not, as the window system would.
void SendMouse(wxWindow& window, wxEventType nType, const wxPoint& point, bool bLeftDown);

// Processes everything queued: window-system events, calls made with
// CallAfter and windows waiting to be destroyed.
void PumpEvents();

// A message box as a test sees it: what was asked and how.
struct CMessage
{
    wxString m_strText;
    long m_nStyle;
};

// Runs the program as it starts without a file on the command line, with
// message boxes answered from m_answers (first to last; a box with no answer
// left gets wxNO for a question, wxOK otherwise) and recorded in m_messages.
class CAppFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    CRidaxoApp& App() const;
    CRidaxoDocManager& Manager() const;
    CRidaxoDoc& Doc() const;
    CMainFrame* Frame() const;

    // Closes the main frame as the window manager's close box does; true
    // when the frame went.
    bool CloseFrame();

    std::vector<int> m_answers;
    std::vector<CMessage> m_messages;

private:
    std::unique_ptr<CMessageBoxOverride> m_pMessageBoxes;
};

// The program with the sample collection imported, driven pane by pane.
class CSampleFixture : public CAppFixture
{
protected:
    // Imports the sample collection, answering the grouping question.
    void ImportSample(int nAnswer);
    CCategoryTreeView& Tree() const;
    CAAListView& List() const;
    void SelectFolder(const wxTreeItemId& item);
    // Renames the folder of item as a finished label edit does, without the
    // editor (which closes when another window takes the focus); false when
    // the name is refused.
    bool RenameFolder(const wxTreeItemId& item, const wxString& strName);
    // The middle of item's label in the tree, scrolled into view.
    wxPoint FolderPoint(const wxTreeItemId& item) const;
    // Adds a folder under the selected one, as the popup's command does,
    // and names it; the new folder stays selected.
    void AddNamedFolder(const wxString& strName);
    // Selects exactly row nRow, as a click does.
    void SelectRow(int nRow);
    wxString PaneText() const;
};

class CCategory;

// The sample collection imported and grouped, the messages so far
// forgotten; folders found by their names.
class CGroupedSampleFixture : public CSampleFixture
{
protected:
    void SetUp() override;
    CCategory& Root() const;
    // The first folder named strName (UTF-8), depth first; invalid or null
    // when there is none.
    wxTreeItemId Item(const std::string& strName) const;
    CCategory* Category(const std::string& strName) const;
};

// Shows a modal dialog with fnShow and, while it runs, carries out each step
// in turn, one event-loop pass apart; a dialog still open after the last
// step is cancelled, and the test fails.
void RunModal(const std::function<void()>& fnShow, std::vector<std::function<void(wxDialog&)>> steps);

// Presses a dialog's button as a click does.
void PressButton(wxDialog& dialog, int nId);

std::string SamplePath();

// One step of the real pointer: a move to a screen point, the left button
// going down or up, a click of the right button, or a rest of m_nX
// milliseconds.
struct CPointerStep
{
    enum class EKind
    {
        Move,
        Press,
        Release,
        RightClick,
        Rest
    };
    EKind m_nKind;
    int m_nX = 0;
    int m_nY = 0;
};

// Moves the display's real pointer through steps, one every nStepMs, from a
// thread of its own with its own display connection, while this thread
// keeps processing events: a platform drag runs a loop of its own that a
// test's code would otherwise never get back from. Returns false when the
// display cannot fake pointer input.
bool RunRealPointer(const std::vector<CPointerStep>& steps, int nStepMs = 40);

// The pixels rect of the screen shows now, read from the display (24-bit
// colour, as the tests' virtual display has it).
wxImage GrabScreen(const wxRect& rect);
