#pragma once

#include "AAStore.h"
#include "ArrangementCommand.h"
#include "Category.h"
#include "CategoryClip.h"

#include <wx/docview.h>

#include <optional>

// What a document tells its views through UpdateAllViews: the document
// knows nothing of the windows that show it, so it says what changed and
// each view carries that out on its own windows.
class CRidaxoUpdateHint : public wxObject
{
public:
    enum class EKind
    {
        Replacing, // another file's contents are about to replace these: nothing may show them
        Loaded,    // the contents of another file were taken over
        Status,    // a message for the status bar, GetText()
    };

    explicit CRidaxoUpdateHint(EKind nKind, const wxString& strText = wxString()) : m_nKind(nKind), m_strText(strText)
    {}

    EKind GetKind() const { return m_nKind; }
    const wxString& GetText() const { return m_strText; }

private:
    EKind m_nKind;
    wxString m_strText;
};

// The one document: the AAs of an AA text file and the category tree over
// them. Opening reads into a fresh store and model and takes them over only
// when the whole file has been read, so a failed open changes nothing.
class CRidaxoDoc : public wxDocument
{
public:
    CRidaxoDoc() = default;

    // What an open came to.
    enum class EOpenResult
    {
        Opened,    // the file is the document's now, or it was empty and nothing changed
        Cancelled, // the user kept what was open
        Failed,    // the file could not be read; the error has been shown
    };

    // Opens strPath as the program opens any file: an AA text file (its name
    // ends in ".txt", any case) is imported, after asking whether to group
    // it; every other file is read as an index file. Unsaved changes are
    // offered for saving first. A file of no bytes holds nothing to read:
    // nothing is asked and nothing changes. On failure the error is shown,
    // naming the file, and the document stays as it was, unsaved changes
    // included.
    EOpenResult OpenFile(const wxString& strPath);

    // Asks for a file name and saves the index file there.
    bool SaveAs() override;
    // Saves the index file as strPath and makes it the document's file.
    bool SaveAsPath(const wxString& strPath);

    // New (the library's OnNewDocument) only gives the document the untitled
    // name: the store, the model, m_bFromText and unsaved changes stay.
    // Before the document is closed, unsaved changes are offered for saving;
    // answered No, they are dropped.
    bool OnSaveModified() override;
    // Marked unchanged, the arrangement as it is becomes the one the
    // history compares with: undone back to it, it is unchanged again.
    void Modify(bool bModified) override;

    // How many steps the undo history keeps.
    static constexpr int kHistorySteps = 100;
    // The undo history of the arrangement; null only before the document
    // is made.
    CArrangementHistory* GetHistory() const;
    // Changes the arrangement by pCommand, which the history takes: every
    // change to the folders or their AAs goes through here as one step.
    // The changed mark follows. Returns pCommand, done.
    template <class TCommand> TCommand* Submit(TCommand* pCommand)
    {
        SubmitStep(pCommand);
        return pCommand;
    }
    // Takes back the last step of the history, or does again the last one
    // taken back; false when there is none.
    bool UndoStep();
    bool RedoStep();

    // True when the AA text file was written since it was loaded (see
    // CAAStore::HasFileChanged) and the user has not chosen to go on with
    // this very change.
    bool HasUnansweredTextFileChange() const;
    // The user goes on with the AA text file as it is now, without being
    // asked about this change again.
    void KeepChangedTextFile();
    // Reads the AA text file again, in place of what the store held; the
    // arrangement stays as it is, its AA indices taken as places in the
    // file as it is now. On failure shows the error and keeps the store.
    bool ReloadTextFile();

    // The library's AAs and their arrangement.
    const CAAStore& GetStore() const { return m_store; }
    const CCategoryModel& GetModel() const { return m_model; }
    // The top folder, for the views to build their items and the steps of
    // the history on: the arrangement changes only through Submit, which
    // keeps the changed mark and the history right.
    CCategory& GetRootForSteps() { return m_model.GetRoot(); }
    // What cut or copy marked for the next paste.
    CCategoryClip& GetClip() { return m_clip; }
    const CCategoryClip& GetClip() const { return m_clip; }
    // True when the contents came from an AA text file, or nothing was
    // loaded yet: Save is offered only for contents read from an index file.
    bool IsFromText() const { return m_bFromText; }

protected:
    bool DoSaveDocument(const wxString& strPath) override;
    bool DoOpenDocument(const wxString& strPath) override;
    bool OnCreate(const wxString& strPath, long nFlags) override;
    wxCommandProcessor* OnCreateCommandProcessor() override;

private:
    enum class ESaveAnswer
    {
        Kept,      // saved, or there was nothing to save
        Discarded, // the user chose not to save them
        Cancelled,
    };
    // Says, once, how many AA entries of the folders the AA text file
    // cannot back, if any.
    void WarnOfUnbackedAAs() const;
    // Offers unsaved changes for saving. Changes the user chose not to save
    // keep their mark: whoever asked decides when they are gone.
    ESaveAnswer AskToSaveChanges();
    void SubmitStep(CArrangementCommand* pCommand);
    // Tells every view what changed (see CRidaxoUpdateHint).
    void TellViews(CRidaxoUpdateHint::EKind nKind, const wxString& strText = wxString());
    // The history moved: the document is changed unless the arrangement is
    // in the state last saved or opened.
    void FollowHistory();

    // The history's state (CArrangementHistory::GetState) last saved or
    // opened.
    unsigned m_nSavedState = 0;

    // The stamp of a changed AA text file that the user chose to go on with.
    std::optional<CFileStamp> m_keptTextStamp;

    CAAStore m_store;
    CCategoryModel m_model;
    // What cut or copy marked in m_model for the next paste; emptied when
    // another file is opened.
    CCategoryClip m_clip;
    bool m_bFromText = true;

    wxDECLARE_DYNAMIC_CLASS(CRidaxoDoc);
    wxDECLARE_NO_COPY_CLASS(CRidaxoDoc);
};

// The file name a document's contents should be saved under: the index-file
// extension in place of the file's own.
wxString MakeIndexFileName(const wxString& strPath);
