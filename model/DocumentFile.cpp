#include "DocumentFile.h"

#include "AAStore.h"
#include "BlockWriter.h"
#include "Category.h"
#include "LineReader.h"
#include "RidaxoError.h"
#include "ShiftJis.h"
#include "TextRoutines.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace
{
// Makes sure the data reached the disk, not only the system's cache.
bool SyncFile(std::FILE* pFile)
{
#ifdef _WIN32
    return _commit(_fileno(pFile)) == 0;
#else
    return fsync(fileno(pFile)) == 0;
#endif
}

// Records the rename in the folder itself, so that it survives a crash.
void SyncFolder(const fs::path& folder)
{
#ifndef _WIN32
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#else
    (void)folder;
#endif
}

// Creates a new file beside target that did not exist before.
std::FILE* CreateSiblingFile(const fs::path& target, fs::path& created)
{
    static std::atomic<unsigned> s_nCounter{0};
    const auto nTicks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int nTry = 0; nTry < 100; ++nTry) {
        created = target;
        created += ".~" + std::to_string((nTicks + s_nCounter++) % 1000000007ULL) + ".tmp";
        // "x": fail rather than reuse a file that someone else made.
        if (std::FILE* pFile = std::fopen(created.string().c_str(), "wbx"))
            return pFile;
        if (errno != EEXIST)
            return nullptr;
    }
    errno = EEXIST;
    return nullptr;
}

// The new file that a save writes beside its target. Unless Keep is called
// once it has taken the target's place, it is closed and removed when it
// goes out of scope, whatever went wrong.
class CSiblingFile
{
public:
    explicit CSiblingFile(const fs::path& target) : m_pFile(CreateSiblingFile(target, m_path)) {}
    ~CSiblingFile()
    {
        if (m_pFile != nullptr)
            std::fclose(m_pFile);
        if (!m_bKept) {
            std::error_code ec;
            fs::remove(m_path, ec);
        }
    }

    CSiblingFile(const CSiblingFile&) = delete;
    CSiblingFile& operator=(const CSiblingFile&) = delete;

    // Null when the file could not be created (errno tells why).
    std::FILE* GetFile() const { return m_pFile; }
    const fs::path& GetPath() const { return m_path; }

    // Closes the file; returns false on failure, with errno set.
    bool Close()
    {
        std::FILE* pFile = m_pFile;
        m_pFile = nullptr;
        return std::fclose(pFile) == 0;
    }

    void Keep() { m_bKept = true; }

private:
    fs::path m_path;
    std::FILE* m_pFile;
    bool m_bKept = false;
};

bool Exists(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

// True only when the system says that nothing is at path; false also when
// it cannot tell, as behind a folder that may not be read.
bool IsKnownMissing(const fs::path& path)
{
    std::error_code ec;
    return fs::status(path, ec).type() == fs::file_type::not_found;
}

// True for a path written on Windows: a drive letter and colon, a
// backslash standing as a character of its own (not as the second byte of a
// code page 932 character such as 0x95 0x5C), or bytes that are no UTF-8.
bool IsWindowsPath(std::string_view path)
{
    if (!IsValidUtf8(path))
        return true;
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return true;
    for (std::size_t nPos = 0; nPos < path.size(); nPos += CharLengthAt(path, nPos)) {
        if (path[nPos] == '\\')
            return true;
    }
    return false;
}

// The file name at the end of a Windows path, in code page 932.
std::string_view WindowsFileName(std::string_view path)
{
    std::size_t nStart = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    for (std::size_t nPos = nStart; nPos < path.size(); nPos += CharLengthAt(path, nPos)) {
        if (path[nPos] == '\\' || path[nPos] == '/')
            nStart = nPos + 1;
    }
    return path.substr(nStart);
}

// Thrown out of a file writer's sink to stop the writing; carries errno.
struct CWriteFailed
{
    int m_nError;
};
} // namespace

bool IsAATextFileName(const std::string& strPath)
{
    const std::string strExtension = GetLowerExtension(strPath);
    return strExtension == "txt" || strExtension == "mlt" || strExtension == "ast";
}

std::string GetFileTitle(const std::string& strPath)
{
    return fs::path(strPath).filename().string();
}

std::string MakeRootName(const std::string& strPath)
{
    return Utf8ToCp932Lenient(GetFileTitle(strPath));
}

void ImportAATextFile(const std::string& strPath, CAAStore& store, CCategoryModel& model,
                      const AskAutoCategorizeFn& fnAskAutoCategorize, const CGroupingSettings& settings)
{
    CAAStore newStore;
    CCategoryModel newModel;
    newModel.SetRootName(MakeRootName(strPath));
    newStore.LoadFile(strPath);
    // A file without a single name line is no AA text file at all (or not
    // yet one): asking how to group nothing and opening an empty tree would
    // only hide that.
    if (newStore.GetCount() == 0)
        throw CRidaxoError(newStore.GetPathRef(), EErrorCause::HoldsNoAA);
    if (fnAskAutoCategorize && fnAskAutoCategorize())
        newModel.AutoCategorize(newStore, settings.m_nThreshold, settings.m_nMinItems);
    else
        newModel.PlaceAllInRoot(newStore);
    store.Swap(newStore);
    model.Swap(newModel);
}

std::string FindNamedTextFile(const std::string& strNamed, const std::string& strIndexPath)
{
    if (Exists(strNamed))
        return strNamed;
    // A collection moved or copied as a folder, or made on another machine,
    // holds its text file beside the index file.
    const fs::path folder = fs::path(MakeFullPath(strIndexPath)).parent_path();
    if (IsWindowsPath(strNamed)) {
        // Under a name the file system holds in UTF-8, or in the bytes the
        // name had on Windows.
        const std::string_view name = WindowsFileName(strNamed);
        const fs::path beside = folder / Cp932ToUtf8(name);
        if (name.empty() || Exists(beside))
            return beside.string();
        if (Exists(folder / name))
            return (folder / name).string();
        throw CRidaxoError(Cp932ToUtf8(strNamed), EErrorCause::NamedTextFileMissing, beside.string());
    }
    fs::path named(strNamed);
    if (named.is_relative()) {
        named = folder / named;
        if (Exists(named))
            return named.string();
    }
    const fs::path beside = folder / named.filename();
    if (named.has_filename() && Exists(beside))
        return beside.string();
    // Opening the path named says why it cannot be opened, unless a second
    // place was looked at, which the words must name too.
    if (!named.has_filename() || beside.lexically_normal() == named.lexically_normal() || !IsKnownMissing(named))
        return named.string();
    throw CRidaxoError(named.string(), EErrorCause::NamedTextFileMissing, beside.string());
}

void OpenIndexFile(const std::string& strPath, CAAStore& store, CCategoryModel& model)
{
    CLineReader index(strPath);
    std::string_view header;
    index.ReadLine(header);
    const std::string strNamed = Unquote(header);
    // No file name holds a NUL byte: the system would open the name cut at
    // it, while the path kept for the next save names another file.
    if (strNamed.empty() || strNamed.find('\0') != std::string::npos)
        throw CRidaxoError(index.GetFilePath(), EErrorCause::IndexNamesNoTextFile);
    const std::string strTextPath = FindNamedTextFile(strNamed, strPath);

    CAAStore newStore;
    CCategoryModel newModel;
    newStore.LoadFile(strTextPath);
    newModel.GetRoot().Load(index);
    store.Swap(newStore);
    model.Swap(newModel);
}

void OpenDocumentFile(const std::string& strPath, CAAStore& store, CCategoryModel& model, bool& bFromText,
                      const AskAutoCategorizeFn& fnAskAutoCategorize, const CGroupingSettings& settings)
{
    if (IsAATextFileName(strPath)) {
        ImportAATextFile(strPath, store, model, fnAskAutoCategorize, settings);
        bFromText = true;
    } else {
        OpenIndexFile(strPath, store, model);
        bFromText = false;
    }
}

std::string FormatIndexFile(const CAAStore& store, const CCategoryModel& model)
{
    std::string strOut;
    CBlockWriter writer([&strOut](std::string_view data) { strOut += data; });
    WriteIndexFile(store, model, writer);
    writer.Flush();
    return strOut;
}

void WriteIndexFile(const CAAStore& store, const CCategoryModel& model, CBlockWriter& writer)
{
    // The quoted path, as Quote makes it.
    writer.WriteChar('"');
    writer.Write(store.GetPathRef());
    writer.Write("\"\n");
    model.GetRoot().Save(writer);
}

void SaveIndexFile(const std::string& strPath, const CAAStore& store, const CCategoryModel& model)
{
    WriteFileAtomically(strPath, [&](CBlockWriter& writer) { WriteIndexFile(store, model, writer); });
}

void WriteFileAtomically(const std::string& strPath, std::string_view data)
{
    WriteFileAtomically(strPath, [data](CBlockWriter& writer) { writer.Write(data); });
}

void WriteFileAtomically(const std::string& strPath, const std::function<void(CBlockWriter&)>& fnWrite)
{
    std::error_code ec;
    fs::path target(strPath);
    // Saving through a symbolic link replaces the file it points to, not the
    // link.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    const fs::file_status oldStatus = fs::status(target, ec);
    if (fs::is_directory(oldStatus))
        throw CRidaxoError(strPath, EErrorCause::SaveFolder);
#ifndef _WIN32
    // Renaming would replace a file that its owner made read-only.
    if (fs::exists(oldStatus) && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        throw CRidaxoError(strPath, EErrorCause::SaveFailed, errno);
#endif

    CSiblingFile temporary(target);
    std::FILE* pFile = temporary.GetFile();
    if (pFile == nullptr)
        throw CRidaxoError(strPath, EErrorCause::SaveFailed, errno);

    int nError = 0;
    try {
        CBlockWriter writer([pFile](std::string_view data) {
            errno = 0;
            if (std::fwrite(data.data(), 1, data.size(), pFile) != data.size())
                throw CWriteFailed{errno != 0 ? errno : EIO};
        });
        fnWrite(writer);
        writer.Flush();
    } catch (const CWriteFailed& failed) {
        nError = failed.m_nError;
    }
    errno = 0;
    if (nError == 0 && (std::fflush(pFile) != 0 || !SyncFile(pFile)))
        nError = errno != 0 ? errno : EIO;
    errno = 0;
    if (!temporary.Close() && nError == 0)
        nError = errno != 0 ? errno : EIO;
    if (nError != 0)
        throw CRidaxoError(strPath, EErrorCause::SaveFailed, nError);
    if (fs::exists(oldStatus))
        fs::permissions(temporary.GetPath(), oldStatus.permissions(), ec);
    fs::rename(temporary.GetPath(), target, ec);
    if (ec)
        throw CRidaxoError(strPath, EErrorCause::SaveFailed, ec.value());
    temporary.Keep();
    SyncFolder(target.has_parent_path() ? target.parent_path() : fs::path("."));
}
