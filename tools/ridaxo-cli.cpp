// ridaxo-cli: the command-line face of Ridaxo's model. It opens and saves
// files exactly as the window program does, so tests, benchmarks and
// scripts can drive the model without a window.

#include "AAFacts.h"
#include "AASearch.h"
#include "AAStore.h"
#include "BlockWriter.h"
#include "Category.h"
#include "DocumentFile.h"
#include "RidaxoError.h"
#include "ShiftJis.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace
{
constexpr const char* kUsage =
    "usage: ridaxo-cli import AAFILE [--auto] [--threshold N] [--min-items M] [-o INDEXFILE]\n"
    "       ridaxo-cli resave INDEXFILE [-o INDEXFILE]\n"
    "       ridaxo-cli text FILE INDEX\n"
    "       ridaxo-cli tree FILE [-v]\n"
    "       ridaxo-cli find FILE TEXT [--content]\n"
    "       ridaxo-cli facts FILE INDEX\n";
// Kept apart from the commands' lines: --help prints both, a wrong command
// line only those.
constexpr const char* kInfoUsage = "       ridaxo-cli --help\n"
                                   "       ridaxo-cli --version\n";

// A command line that does not fit the usage above.
class CUsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the command: positional ones and options.
struct CArguments
{
    std::vector<std::string> m_positional;
    bool m_bAuto = false;
    bool m_bVerbose = false;
    bool m_bContent = false;
    std::optional<unsigned> m_nThreshold;
    std::optional<unsigned> m_nMinItems;
    std::optional<std::string> m_strOutput;
};

unsigned ParseSetting(const std::string& strOption, const std::string& strValue)
{
    unsigned nValue = 0;
    const char* pEnd = strValue.data() + strValue.size();
    const auto result = std::from_chars(strValue.data(), pEnd, nValue);
    if (strValue.empty() || result.ec != std::errc() || result.ptr != pEnd || nValue < 1 || nValue > 999)
        throw CUsageError(strOption + " takes a whole number from 1 to 999, not \"" + strValue + "\"");
    return nValue;
}

int ParseIndex(const std::string& strValue)
{
    int nValue = 0;
    const char* pEnd = strValue.data() + strValue.size();
    const auto result = std::from_chars(strValue.data(), pEnd, nValue);
    if (strValue.empty() || result.ec != std::errc() || result.ptr != pEnd)
        throw CUsageError("INDEX must be a whole number, not \"" + strValue + "\"");
    return nValue;
}

// Parses args[1...]; only the options in strAllowed are accepted.
CArguments ParseArguments(const std::vector<std::string>& args, std::string_view strAllowed)
{
    CArguments parsed;
    auto allowed = [&](std::string_view strOption) {
        if (strAllowed.find(std::string(strOption) + " ") == std::string_view::npos)
            throw CUsageError("unknown option " + std::string(strOption) + " for " + args[0]);
    };
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& strArg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw CUsageError(strArg + " needs a value");
            return args[++i];
        };
        if (strArg.size() > 1 && strArg[0] == '-' && !(strArg[1] >= '0' && strArg[1] <= '9')) {
            allowed(strArg);
            if (strArg == "--auto")
                parsed.m_bAuto = true;
            else if (strArg == "--content")
                parsed.m_bContent = true;
            else if (strArg == "-v")
                parsed.m_bVerbose = true;
            else if (strArg == "--threshold")
                parsed.m_nThreshold = ParseSetting(strArg, value());
            else if (strArg == "--min-items")
                parsed.m_nMinItems = ParseSetting(strArg, value());
            else if (strArg == "-o")
                parsed.m_strOutput = value();
        } else {
            parsed.m_positional.push_back(strArg);
        }
    }
    return parsed;
}

void RequirePositional(const CArguments& parsed, std::size_t nCount)
{
    if (parsed.m_positional.size() != nCount)
        throw CUsageError("wrong number of arguments");
}

// One line on standard error: control characters of a file name would
// break it.
void ReportError(const std::string& strMessage)
{
    std::string strLine = "ridaxo-cli: ";
    for (char ch : strMessage)
        strLine += (static_cast<unsigned char>(ch) < 0x20) ? '?' : ch;
    std::fprintf(stderr, "%s\n", strLine.c_str());
}

// The window warns of the AA entries of an opened index file that its text
// file cannot back; the tool does too, without failing.
void WarnOfUnbackedAAs(const std::string& strPath, const CAAStore& store, const CCategoryModel& model)
{
    if (const std::size_t nUnbacked = CountUnbackedAAs(model.GetRoot(), store); nUnbacked != 0)
        ReportError(strPath + ": warning: " + std::to_string(nUnbacked) + " AA entries name no AA of " +
                    store.GetPathRef());
}

void ThrowStandardOutputError()
{
    throw CRidaxoError("standard output", EErrorCause::WriteFailed, errno);
}

void WriteStandardOutput(std::string_view data)
{
    if (std::fwrite(data.data(), 1, data.size(), stdout) != data.size() || std::fflush(stdout) != 0)
        ThrowStandardOutputError();
}

// Writes the index file to strOutput, or to standard output without one.
// Standard output gets it a block at a time, as it is formatted.
void WriteIndex(const std::optional<std::string>& output, const CAAStore& store, const CCategoryModel& model)
{
    if (output) {
        SaveIndexFile(*output, store, model);
        return;
    }
    CBlockWriter writer([](std::string_view data) {
        if (std::fwrite(data.data(), 1, data.size(), stdout) != data.size())
            ThrowStandardOutputError();
    });
    WriteIndexFile(store, model, writer);
    writer.Flush();
    if (std::fflush(stdout) != 0)
        ThrowStandardOutputError();
}

void AppendTree(std::string& strOut, const CCategory& category, const CAAStore& store, bool bVerbose)
{
    struct CFrame
    {
        const CCategory* m_pCategory;
        int m_nDepth;
    };
    std::vector<CFrame> stack{{&category, 0}};
    while (!stack.empty()) {
        const CFrame frame = stack.back();
        stack.pop_back();
        const CCategory& current = *frame.m_pCategory;
        strOut.append(static_cast<std::size_t>(frame.m_nDepth) * 2, ' ');
        strOut += Cp932ToUtf8(current.GetNameRef());
        strOut += " (";
        strOut += std::to_string(current.GetAACount());
        strOut += ")\n";
        if (bVerbose) {
            for (int nIndex : current.GetAAList()) {
                strOut.append(static_cast<std::size_t>(frame.m_nDepth + 1) * 2, ' ');
                strOut += '[';
                strOut += std::to_string(nIndex);
                strOut += "] ";
                strOut += Cp932ToUtf8(store.GetNameView(nIndex));
                strOut += '\n';
            }
        }
        for (int i = current.GetChildCount(); i-- > 0;)
            stack.push_back({current.GetChildAt(i), frame.m_nDepth + 1});
    }
}

int RunImport(const std::vector<std::string>& args)
{
    const CArguments parsed = ParseArguments(args, "--auto --threshold --min-items -o ");
    RequirePositional(parsed, 1);
    CGroupingSettings settings;
    settings.m_nThreshold = parsed.m_nThreshold.value_or(settings.m_nThreshold);
    settings.m_nMinItems = parsed.m_nMinItems.value_or(settings.m_nMinItems);
    CAAStore store;
    CCategoryModel model;
    ImportAATextFile(
        parsed.m_positional[0], store, model, [&] { return parsed.m_bAuto; }, settings);
    WriteIndex(parsed.m_strOutput, store, model);
    return 0;
}

int RunResave(const std::vector<std::string>& args)
{
    const CArguments parsed = ParseArguments(args, "-o ");
    RequirePositional(parsed, 1);
    CAAStore store;
    CCategoryModel model;
    OpenIndexFile(parsed.m_positional[0], store, model);
    WarnOfUnbackedAAs(parsed.m_positional[0], store, model);
    WriteIndex(parsed.m_strOutput, store, model);
    return 0;
}

// Opens strPath as the program opens any file; an AA text file is grouped
// with the default settings when bAnswerYes.
void OpenAnyFile(const std::string& strPath, bool bAnswerYes, CAAStore& store, CCategoryModel& model)
{
    bool bFromText = true;
    OpenDocumentFile(
        strPath, store, model, bFromText, [bAnswerYes] { return bAnswerYes; }, CGroupingSettings());
}

// Opens "FILE INDEX" of text and facts: FILE as the program opens any file
// into store, and INDEX, which it returns, the number of an AA that the
// file holds. An AA that is not there has neither a body nor facts: an
// empty body or zeros would pass for an empty AA.
int OpenAnyFileAA(const std::vector<std::string>& args, CAAStore& store)
{
    const CArguments parsed = ParseArguments(args, "");
    RequirePositional(parsed, 2);
    const int nIndex = ParseIndex(parsed.m_positional[1]);
    CCategoryModel model;
    OpenAnyFile(parsed.m_positional[0], false, store, model);
    if (nIndex < 0 || nIndex >= store.GetCount())
        throw CUsageError("INDEX must be from 0 to " + std::to_string(store.GetCount() - 1) + ", not " +
                          parsed.m_positional[1]);
    return nIndex;
}

int RunText(const std::vector<std::string>& args)
{
    CAAStore store;
    const int nIndex = OpenAnyFileAA(args, store);
    WriteStandardOutput(store.GetText(nIndex));
    return 0;
}

// Prints, in AA-index order, each AA whose name (or, with --content, whose
// name or body) the text matches: its index, a tab and its name's bytes.
// An AA text file is searched in one pass, without loading it, and what it
// finds is written as it is found, a block at a time; a library or an index
// file is opened as the window opens it, and searched loaded.
int RunFind(const std::vector<std::string>& args)
{
    const CArguments parsed = ParseArguments(args, "--content ");
    RequirePositional(parsed, 2);
    const std::string& strPath = parsed.m_positional[0];
    const std::optional<CSearchText> text = CSearchText::FromUtf8(parsed.m_positional[1]);
    if (!text)
        throw CRidaxoError(strPath, EErrorCause::SearchTextNotCp932);
    CBlockWriter writer([](std::string_view data) {
        if (std::fwrite(data.data(), 1, data.size(), stdout) != data.size())
            ThrowStandardOutputError();
    });
    const auto print = [&writer](int nIndex, std::string_view name) {
        char digits[16];
        writer.Write(std::string_view(digits, std::to_chars(std::begin(digits), std::end(digits), nIndex).ptr));
        writer.WriteChar('\t');
        writer.Write(name);
        writer.WriteChar('\n');
    };
    if (IsAATextFileName(strPath) && GetAAFileFormat(strPath) == EAAFileFormat::MojieName) {
        // The import refuses a file without AAs; so does the search.
        if (FindAAsInTextFile(strPath, *text, parsed.m_bContent, print) == 0)
            throw CRidaxoError(MakeFullPath(strPath), EErrorCause::HoldsNoAA);
    } else {
        CAAStore store;
        CCategoryModel model;
        OpenAnyFile(strPath, false, store, model);
        for (int nIndex : store.FindAAs(*text, parsed.m_bContent))
            print(nIndex, store.GetNameView(nIndex));
    }
    writer.Flush();
    if (std::fflush(stdout) != 0)
        ThrowStandardOutputError();
    return 0;
}

int RunFacts(const std::vector<std::string>& args)
{
    CAAStore store;
    const int nIndex = OpenAnyFileAA(args, store);
    const CAAFacts facts = MeasureAABody(store.GetText(nIndex), store.ResolvesReferences());
    WriteStandardOutput("lines=" + std::to_string(facts.m_nLines) + " width=" + std::to_string(facts.m_nWidth) +
                        " bytes=" + std::to_string(facts.m_nBytes) + "\n");
    return 0;
}

int RunTree(const std::vector<std::string>& args)
{
    const CArguments parsed = ParseArguments(args, "-v ");
    RequirePositional(parsed, 1);
    CAAStore store;
    CCategoryModel model;
    // An AA text file is shown as a person answering Yes would see it.
    OpenAnyFile(parsed.m_positional[0], true, store, model);
    WarnOfUnbackedAAs(parsed.m_positional[0], store, model);
    std::string strOut;
    AppendTree(strOut, model.GetRoot(), store, parsed.m_bVerbose);
    WriteStandardOutput(strOut);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.empty())
            throw CUsageError("no command given");
        const std::string& strCommand = args[0];
        if (args.size() == 1 && (strCommand == "--help" || strCommand == "-h")) {
            WriteStandardOutput(std::string(kUsage) + kInfoUsage);
            return 0;
        }
        if (args.size() == 1 && strCommand == "--version") {
            WriteStandardOutput("ridaxo-cli " RIDAXO_VERSION "\n");
            return 0;
        }
        try {
            if (strCommand == "import")
                return RunImport(args);
            if (strCommand == "resave")
                return RunResave(args);
            if (strCommand == "text")
                return RunText(args);
            if (strCommand == "tree")
                return RunTree(args);
            if (strCommand == "find")
                return RunFind(args);
            if (strCommand == "facts")
                return RunFacts(args);
        } catch (const std::bad_alloc&) {
            throw CRidaxoError(args.size() > 1 ? args[1] : std::string(), EErrorCause::OutOfMemory);
        }
        throw CUsageError("unknown command " + strCommand);
    } catch (const CUsageError& error) {
        ReportError(error.what());
        std::fputs(kUsage, stderr);
        return 2;
    } catch (const CRidaxoError& error) {
        ReportError(error.what());
        return 1;
    } catch (const std::exception& error) {
        ReportError(error.what());
        return 1;
    }
}
