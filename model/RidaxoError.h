#pragma once

#include <stdexcept>
#include <string>

// The one exception type of Ridaxo. Every failure the model reports (a file
// that cannot be opened, read or written, a damaged index file) is thrown as
// a CRidaxoError naming the file and the cause; the window program and the
// command-line tool catch it at their edge and show it.
class CRidaxoError : public std::runtime_error
{
public:
    CRidaxoError(const std::string& strFile, const std::string& strCause)
        : std::runtime_error(strFile.empty() ? strCause : strFile + ": " + strCause), m_strFile(strFile),
          m_strCause(strCause)
    {}

    // The path of the file concerned, in the operating system's encoding.
    const std::string& GetFile() const { return m_strFile; }
    // What went wrong, without the file name.
    const std::string& GetCause() const { return m_strCause; }

private:
    std::string m_strFile;
    std::string m_strCause;
};
