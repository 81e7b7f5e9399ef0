#pragma once

#include <cerrno>
#include <stdexcept>
#include <string>

// The failures the model reports. Each has its words in English and in
// Japanese in one table (RidaxoError.cpp); those marked "errno" carry the
// system's error number, which is worded along with them.
enum class EErrorCause
{
    OpenFailed, // errno
    OpenFolder,
    OpenNotRegularFile,
    ReadFailed, // errno
    ReadCutShort,
    SeekFailed,    // errno
    WrongEncoding, // carries the name of the encoding found
    TooManyAAs,
    HoldsNoAA,
    IndexNamesNoTextFile,
    NamedTextFileMissing, // carries the place beside the index file that was looked at too
    IndexCountsBeyondFile,
    IndexNumberOutOfRange, // carries the line number
    SaveFolder,
    SaveFailed,  // errno
    WriteFailed, // errno
    OutOfMemory,
    SearchTextNotCp932,
};

// The languages a failure is worded in: the command-line tool speaks
// English, the window Japanese.
enum class ELanguage
{
    English,
    Japanese,
};

// The one exception type of Ridaxo. Every failure the model reports (a file
// that cannot be opened, read or written, a damaged index file) is thrown as
// a CRidaxoError naming the file and the cause; the window program and the
// command-line tool catch it at their edge and show it, each in its own
// language. what() is the English text, "file: cause".
class CRidaxoError : public std::runtime_error
{
public:
    CRidaxoError(const std::string& strFile, EErrorCause nCause) : CRidaxoError(strFile, nCause, 0, std::string()) {}
    // A failure the system reported with the error number nErrno; a
    // failure without one (0) counts as an input/output error.
    CRidaxoError(const std::string& strFile, EErrorCause nCause, int nErrno)
        : CRidaxoError(strFile, nCause, nErrno != 0 ? nErrno : EIO, std::string())
    {}
    // A failure whose words name strDetail (the encoding found, a path, a
    // line number).
    CRidaxoError(const std::string& strFile, EErrorCause nCause, const std::string& strDetail)
        : CRidaxoError(strFile, nCause, 0, strDetail)
    {}

    // The path of the file concerned, in the operating system's encoding.
    const std::string& GetFile() const { return m_strFile; }
    EErrorCause GetCauseCode() const { return m_nCause; }
    // The system's error number; 0 for a cause that carries none.
    int GetErrno() const { return m_nErrno; }
    // What went wrong, without the file name, in UTF-8.
    std::string GetCause(ELanguage nLanguage = ELanguage::English) const;

private:
    CRidaxoError(const std::string& strFile, EErrorCause nCause, int nErrno, const std::string& strDetail);

    std::string m_strFile;
    EErrorCause m_nCause;
    int m_nErrno;
    std::string m_strDetail;
};

// The words for the system's error number nErrno, in UTF-8.
std::string DescribeErrno(int nErrno, ELanguage nLanguage);
