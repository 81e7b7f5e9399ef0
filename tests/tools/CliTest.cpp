#include "TempFiles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <vector>

namespace
{
struct CRun
{
    int m_nExit;
    std::string m_strOut;
    std::string m_strErr;
};

std::string ShellQuote(const std::string& strArg)
{
    std::string strOut = "'";
    for (char ch : strArg)
        strOut += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return strOut + "'";
}

// Runs ridaxo-cli with args and captures what it writes.
CRun RunCli(const std::vector<std::string>& args)
{
    CTempDir dir;
    std::string strCommand = ShellQuote(RIDAXO_CLI_PATH);
    for (const std::string& strArg : args)
        strCommand += " " + ShellQuote(strArg);
    strCommand += " >" + ShellQuote(dir.File("out")) + " 2>" + ShellQuote(dir.File("err"));
    const int nStatus = std::system(strCommand.c_str());
    return {WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1, ReadBytes(dir.File("out")), ReadBytes(dir.File("err"))};
}

void ExpectFailure(const CRun& run, int nExit, const std::string& strMention)
{
    EXPECT_EQ(run.m_nExit, nExit) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "");
    ASSERT_FALSE(run.m_strErr.empty());
    if (nExit == 1) { // one line naming the file
        EXPECT_EQ(run.m_strErr.find('\n'), run.m_strErr.size() - 1) << run.m_strErr;
    }
    EXPECT_NE(run.m_strErr.find(strMention), std::string::npos) << run.m_strErr;
}

const std::string kFile = "pre\r\n[MojieName=ab1]\r\nline 1\r\n[END]\r\n[MojieName=ab2]\r\n\r\nx\r\n[END]\r\n"
                          "[MojieName=\x82\xCB]\r\n[END]\r\n";
} // namespace

TEST(CliTest, ImportResaveTextAndTreeOnASmallFile)
{
    CTempDir dir;
    const std::string strText = dir.Write("small.txt", kFile);
    const CRun plain = RunCli({"import", strText});
    EXPECT_EQ(plain.m_nExit, 0) << plain.m_strErr;
    EXPECT_EQ(plain.m_strOut, "\"" + strText + "\"\n\"small.txt\"\n3\n0\n1\n2\n0\n");

    const CRun grouped = RunCli({"import", "--threshold", "2", strText, "--auto", "--min-items", "2"});
    EXPECT_EQ(grouped.m_strOut, "\"" + strText + "\"\n\"small.txt\"\n1\n2\n1\n\"ab\"\n2\n1\n0\n0\n");

    const std::string strIndex = dir.File("small.rix");
    EXPECT_EQ(RunCli({"import", strText, "--auto", "--threshold", "2", "--min-items", "2", "-o", strIndex}).m_nExit, 0);
    EXPECT_EQ(ReadBytes(strIndex), grouped.m_strOut);
    EXPECT_EQ(RunCli({"resave", strIndex}).m_strOut, grouped.m_strOut);
    const std::string strCopy = dir.File("copy.rix");
    EXPECT_EQ(RunCli({"resave", strIndex, "-o", strCopy}).m_nExit, 0);
    EXPECT_EQ(ReadBytes(strCopy), grouped.m_strOut);

    EXPECT_EQ(RunCli({"text", strText, "1"}).m_strOut, "\r\nx\r\n");
    EXPECT_EQ(RunCli({"text", strIndex, "0"}).m_strOut, "line 1\r\n");

    EXPECT_EQ(RunCli({"tree", strIndex}).m_strOut, "small.txt (1)\n  ab (2)\n");
    EXPECT_EQ(RunCli({"tree", strIndex, "-v"}).m_strOut,
              "small.txt (1)\n  [2] ね\n  ab (2)\n    [1] ab2\n    [0] ab1\n");

    // Entries the text file cannot back are shown and warned of.
    const std::string strBeyond = dir.Write("beyond.rix", "\"" + strText + "\"\n\"r\"\n3\n0\n3\n-1\n0\n");
    for (const char* pszCommand : {"tree", "resave"}) {
        const CRun beyond = RunCli({pszCommand, strBeyond});
        EXPECT_EQ(beyond.m_nExit, 0);
        EXPECT_EQ(beyond.m_strOut.substr(0, 1), pszCommand == std::string("tree") ? "r" : "\"");
        EXPECT_EQ(beyond.m_strErr,
                  "ridaxo-cli: " + strBeyond + ": warning: 2 AA entries name no AA of " + strText + "\n");
    }
}

TEST(CliTest, FailuresNameTheFileAndWriteNothing)
{
    CTempDir dir;
    const std::string strMissing = dir.File("missing.txt");
    ExpectFailure(RunCli({"import", strMissing}), 1, strMissing);
    ExpectFailure(RunCli({"tree", dir.File("missing.rix")}), 1, "missing.rix");
    ExpectFailure(RunCli({"resave", dir.Write("bad.rix", "\"" + strMissing + "\"\n")}), 1, strMissing);
    ExpectFailure(RunCli({"import", dir.Write("no-aa.txt", "no AA\r\n")}), 1,
                  "no-aa.txt: cannot open: the file holds no AA");
    ExpectFailure(
        RunCli({"resave", dir.Write("beyond.rix", "\"" + dir.Write("a.txt", kFile) + "\"\n\"r\"\n1\n4294967296\n0\n")}),
        1, "the AA number on line 4 is beyond");

    const std::string strTarget = dir.Write("target.rix", "previous\n");
    ExpectFailure(RunCli({"import", strMissing, "-o", strTarget}), 1, strMissing);
    EXPECT_EQ(ReadBytes(strTarget), "previous\n");
}

TEST(CliTest, FindAndFactsOnATextFileAndOnItsIndexFile)
{
    CTempDir dir;
    const std::string strText = dir.Write("small.txt", kFile);
    const std::string strIndex = dir.File("small.rix");
    ASSERT_EQ(RunCli({"import", strText, "-o", strIndex}).m_nExit, 0);
    for (const std::string& strFile : {strText, strIndex}) {
        EXPECT_EQ(RunCli({"find", strFile, "AB"}).m_strOut, "0\tab1\n1\tab2\n");
        EXPECT_EQ(RunCli({"find", strFile, "ね"}).m_strOut, "2\t\x82\xCB\n"); // the name's own bytes
        EXPECT_EQ(RunCli({"find", strFile, "x", "--content"}).m_strOut, "1\tab2\n");
        const CRun none = RunCli({"find", strFile, "zz", "--content"});
        EXPECT_EQ(none.m_nExit, 0);
        EXPECT_EQ(none.m_strOut, "");
        EXPECT_EQ(RunCli({"facts", strFile, "1"}).m_strOut, "lines=2 width=7 bytes=3\n"); // "x" is 7 dots
    }
    ExpectFailure(RunCli({"find", strText, "\xED\x95\x9C"}), 1, "code page 932) cannot write");

    // A library's names print as written; its references measure as the
    // characters they stand for: an em space of 16 dots, not 8 characters.
    const std::string strLibrary = dir.Write("small.mlt", "ab\r\n[SPLIT]\r\n&#x2003;x\r\n");
    EXPECT_EQ(RunCli({"find", strLibrary, "X", "--content"}).m_strOut, "1\t&#x2003;x\n");
    EXPECT_EQ(RunCli({"facts", strLibrary, "1"}).m_strOut, "lines=1 width=23 bytes=9\n");
}

TEST(CliTest, UsageErrorsExitWithTwo)
{
    CTempDir dir;
    const std::string strText = dir.Write("u.txt", kFile);
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"explode", strText},
        {"import"},
        {"import", strText, "extra"},
        {"import", strText, "--threshold", "0"},
        {"import", strText, "--min-items", "1000"},
        {"import", strText, "--threshold", "3x"},
        {"import", strText, "--threshold"},
        {"import", strText, "-v"},
        {"resave", strText, "--auto"},
        {"text", strText, "one"},
        {"text", strText},
        {"tree", strText, "-o", "x"},
        {"find", strText},
        {"find", strText, "ab", "-v"},
        {"facts", strText, "3"}, // no such AA
        {"text", strText, "3"},
    };
    for (const auto& args : bad)
        ExpectFailure(RunCli(args), 2, "usage:");
}

TEST(CliTest, TheBundledSampleGroupsIntoSeveralCategoriesAndResavesAlike)
{
    CTempDir dir;
    const std::string strIndex = dir.File("sample.rix");
    const CRun run = RunCli({"import", std::string(RIDAXO_SAMPLES_DIR) + "/sample-aa.txt", "--auto", "-o", strIndex});
    ASSERT_EQ(run.m_nExit, 0) << run.m_strErr;
    const std::string tree = RunCli({"tree", strIndex}).m_strOut;
    int nTopFolders = 0;
    for (std::size_t nPos = 0; (nPos = tree.find("\n  ", nPos)) != std::string::npos; ++nPos)
        ++nTopFolders;
    EXPECT_GE(nTopFolders, 4) << tree;
    EXPECT_EQ(RunCli({"resave", strIndex}).m_strOut, ReadBytes(strIndex));
}
