#pragma once

#include <functional>
#include <string>
#include <string_view>

class CAAStore;
class CBlockWriter;
class CCategoryModel;

// How a document's file is opened and saved. The window program's document
// and the command-line tool both go through these functions, so the two
// read and write files identically.
//
// An index file is LF-ended lines: the quoted full path of the AA text file,
// then the root category's block (see CCategory). The AA text file itself
// is only ever read.

// The two settings of the automatic grouping.
struct CGroupingSettings
{
    unsigned m_nThreshold = 3; // leading characters two names must share
    unsigned m_nMinItems = 5;  // fewest similar AAs, the seed included, that form a category
};

// True when the file's name marks an AA file to import: the lower-cased text
// after the last "." of the name (the whole name when it has no ".") is
// "txt", "mlt" or "ast" (see GetAAFileFormat). Every other file is read as
// an index file.
bool IsAATextFileName(const std::string& strPath);

// The file's name without its folder, extension kept.
std::string GetFileTitle(const std::string& strPath);

// The name a freshly imported root gets: the file's title in code page 932.
std::string MakeRootName(const std::string& strPath);

// Asked after an AA text file has been read: true to group automatically.
using AskAutoCategorizeFn = std::function<bool()>;

// Reads the AA file strPath, in the format its name tells, into store and
// model: the root is named after the file, then grouped or given every AA,
// as fnAskAutoCategorize answers. Throws CRidaxoError and leaves store and
// model as they were when the file cannot be read, or holds no AA;
// fnAskAutoCategorize is then not asked.
void ImportAATextFile(const std::string& strPath, CAAStore& store, CCategoryModel& model,
                      const AskAutoCategorizeFn& fnAskAutoCategorize, const CGroupingSettings& settings);

// Reads the index file strPath and the AA file its first line names (in
// the format its name tells) into store and model (see FindNamedTextFile);
// the store holds the path where the text file was found, which the next
// save writes. Throws
// CRidaxoError and leaves store and model as they were when either file
// cannot be read.
void OpenIndexFile(const std::string& strPath, CAAStore& store, CCategoryModel& model);

// The AA text file that an index file's header names, as strNamed, found:
// strNamed itself when it is there (a relative path taken against the
// current folder); else, for a relative path, the same path taken against
// the index file's folder; else the file of the same name beside the index
// file, as a collection moved or copied as a folder has it (for a path
// written on Windows, a drive letter or backslashes in code page 932, its
// name converted to the system's UTF-8, or else in its own bytes). When
// none is there, throws CRidaxoError naming the path named and the place
// beside the index file; but when these are one (or the system cannot tell
// whether the path named is there), returns the path named, in full, for
// opening to fail on and say why.
std::string FindNamedTextFile(const std::string& strNamed, const std::string& strIndexPath);

// Opens strPath as the program opens any file: an AA text file is imported,
// every other file read as an index file. On success bFromText tells which;
// on failure nothing changes.
void OpenDocumentFile(const std::string& strPath, CAAStore& store, CCategoryModel& model, bool& bFromText,
                      const AskAutoCategorizeFn& fnAskAutoCategorize, const CGroupingSettings& settings);

// The bytes of the index file for store and model.
std::string FormatIndexFile(const CAAStore& store, const CCategoryModel& model);

// Writes the bytes of the index file for store and model to writer, without
// holding the whole file in memory. The caller flushes the writer.
void WriteIndexFile(const CAAStore& store, const CCategoryModel& model, CBlockWriter& writer);

// Writes the index file for store and model to strPath without ever
// destroying what stood there: see WriteFileAtomically.
void SaveIndexFile(const std::string& strPath, const CAAStore& store, const CCategoryModel& model);

// Writes data to a new file beside strPath, flushes it to the disk and only
// then puts it in strPath's place. On any failure the new file is removed,
// strPath is left as it was and CRidaxoError is thrown.
void WriteFileAtomically(const std::string& strPath, std::string_view data);

// As above, with the data written by fnWrite to the writer it is given. An
// exception that fnWrite throws removes the new file and passes on.
void WriteFileAtomically(const std::string& strPath, const std::function<void(CBlockWriter&)>& fnWrite);
