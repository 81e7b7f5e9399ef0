#pragma once

#include <vector>

class CAAListView;
class CAAStore;
class CArrangementCommand;
class CArrangementHistory;
class CCategory;
class CCategoryClip;
class CCategoryTreeView;
struct CViewState;

// What the views need of the window and the document they live in. The
// main frame is the host of the program's views; a test hosts a view on its
// own with a small fake. The views see the host only through this, so they
// build and run without the application.
class IViewHost
{
public:
    virtual ~IViewHost() = default;

    // The open library's AAs and arrangement, and the mark of a cut or
    // copy; null while no document is open. The arrangement changes only
    // by SubmitStep.
    virtual const CAAStore* GetStore() const = 0;
    virtual CCategory* GetRootCategory() = 0;
    virtual CCategoryClip* GetClip() = 0;
    // True when the AA text file was written since it was read and the
    // user was not asked yet: its bodies cannot be trusted.
    virtual bool HasUnansweredTextFileChange() const = 0;
    // Makes pStep, which it takes, one step of the undo history, and does it.
    virtual void SubmitStep(CArrangementCommand* pStep) = 0;
    // The undo history, or null.
    virtual CArrangementHistory* GetHistory() = 0;

    // The panes; null while they are not made.
    virtual CCategoryTreeView* GetTreeView() const = 0;
    virtual CAAListView* GetListView() const = 0;
    // Lists the tree's selected folder (nothing without one), and shows the
    // list's selected AA in the text pane.
    virtual void ShowCategory() = 0;
    virtual void ShowSelectedAA() = 0;
    // What the panes show, and showing it again once a step changed the
    // folders under parents (and pRenamed's name).
    virtual CViewState CaptureViewState() const = 0;
    virtual void ShowArrangementChange(const std::vector<CCategory*>& parents, const CCategory* pRenamed,
                                       const CViewState* pState) = 0;
};

// The host of the views, the one process-wide hub; null while there is none.
IViewHost* GetViewHost();
// Makes pHost the host (null: none); returns the one it was.
IViewHost* SetViewHost(IViewHost* pHost);

// Submits pStep to the host and returns it, done; a typed pointer for
// steps whose result the caller reads. Without a host it is dropped and
// null is returned.
template <class TStep> TStep* SubmitStep(TStep* pStep)
{
    IViewHost* pHost = GetViewHost();
    if (!pHost) {
        delete pStep;
        return nullptr;
    }
    pHost->SubmitStep(pStep);
    return pStep;
}
