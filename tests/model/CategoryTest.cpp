#include "Category.h"
#include "AAStore.h"
#include "LineReader.h"
#include "ModelHelpers.h"
#include "RidaxoError.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace
{
std::string SaveToString(const CCategory& category)
{
    std::string strOut;
    category.Save(strOut);
    return strOut;
}

// Loads category from an index file's block lines.
void LoadFromText(CCategory& category, std::string_view text)
{
    CTempDir dir;
    CLineReader reader(dir.Write("blocks.rix", text));
    category.Load(reader);
}

} // namespace

TEST(CategoryTest, ChildAndAAOperations)
{
    CCategory root;
    CCategory* pA = root.AddChild("a");
    CCategory* pB = root.AddChild("b");
    CCategory* pGrandchild = pA->AddChild("a1");
    EXPECT_EQ(pA->GetParent(), &root);
    EXPECT_EQ(root.GetParent(), nullptr);

    pA->AddAA(4);
    pA->AddAA(2);
    pA->AddAA(4);
    pA->RemoveAA(4);  // only the first of two
    pA->RemoveAA(99); // absent: nothing
    EXPECT_EQ(pA->GetAAList(), (std::vector<int>{2, 4}));
    EXPECT_EQ(pA->GetAAAt(1), 4);
    EXPECT_EQ(pA->GetAAAt(-1), -1);
    EXPECT_EQ(pA->GetAAAt(2), -1);

    // A copy takes the name and the AAs, never the children, and goes last.
    CCategory* pCopy = pB->AddChildCopy(*pA);
    EXPECT_EQ(DescribeTree(root), "{}[a{2,4,}[a1{}[]]b{}[a{2,4,}[]]]");
    EXPECT_EQ(pCopy->GetParent(), pB);

    EXPECT_FALSE(root.RemoveChild(pGrandchild)); // not a child of root
    EXPECT_EQ(pGrandchild->GetName(), "a1");     // and still alive
    EXPECT_TRUE(root.RemoveChild(pA));
    EXPECT_EQ(DescribeTree(root), "{}[b{}[a{2,4,}[]]]");
    root.RemoveAllChildren();
    EXPECT_EQ(root.GetChildCount(), 0);
}

TEST(CategoryTest, SavesTheBlockLayout)
{
    CCategory root;
    root.SetName("root");
    root.AddAA(7);
    root.AddAA(9);
    CCategory* pChild = root.AddChild("child");
    pChild->AddAA(2);
    pChild->AddAA(0);
    EXPECT_EQ(SaveToString(root), "\"root\"\n2\n7\n9\n1\n\"child\"\n2\n2\n0\n0\n");

    CCategory empty;
    empty.SetName("a\"b");
    EXPECT_EQ(SaveToString(empty), "\"a\"b\"\n0\n0\n");
}

TEST(CategoryTest, SaveAndLoadReproduceTheTree)
{
    CCategory root;
    root.SetName("\x82\xCB\x82\xB1 root");
    root.AddAA(3);
    root.AddAA(3);
    root.AddAA(-1);
    CCategory* pA = root.AddChild("a\"b");
    pA->AddChild(" blanks ")->AddAA(2147483647);
    pA->AddChild("");
    root.AddChild("last")->AddAA(0);

    CCategory loaded;
    loaded.AddChild("old contents")->AddAA(1);
    LoadFromText(loaded, SaveToString(root));
    EXPECT_EQ(DescribeTree(loaded), DescribeTree(root));
    EXPECT_EQ(SaveToString(loaded), SaveToString(root));
}

TEST(CategoryTest, LoadReadsDamagedAndForeignLinesAsTheFormatSays)
{
    struct CCase
    {
        const char* m_pszWhat;
        std::string_view m_strText;
        std::string_view m_strExpected;
    };
    const CCase cases[] = {
        {"crlf like lf", "\"r\"\r\n1\r\n5\r\n1\r\n\"c\"\r\n0\r\n0\r\n", "r{5,}[c{}[]]"},
        {"blanks around quotes", " \t\"  in  \"\t \n0\n0\n", "  in  {}[]"},
        {"no quotes", "  bare name \n0\n0\n", "bare name{}[]"},
        {"empty file", "", "{}[]"},
        {"cut short in the AAs", "\"r\"\n3\n5\n", "r{5,0,0,}[]"},
        {"cut short in the children", "\"r\"\n0\n2\n\"c\"\n", "r{}[c{}[]{}[]]"},
        {"count without digits", "\"r\"\nabc\nxyz\n", "r{}[]"},
        {"negative counts", "\"r\"\n-3\n-1\n", "r{}[]"},
        {"indices as they stand", "\"r\"\n4\n-2147483648\n2147483647\n+12\nx\n0\n",
         "r{-2147483648,2147483647,12,0,}[]"},
        {"lone cr like lf", "\"r\"\r1\r5\r0\r", "r{5,}[]"},
        {"lines after the block", "\"r\"\n0\n0\n\"more\"\n5\n", "r{}[]"},
    };
    for (const CCase& c : cases) {
        CCategory category;
        LoadFromText(category, c.m_strText);
        EXPECT_EQ(DescribeTree(category), c.m_strExpected) << c.m_pszWhat;
    }
}

TEST(CategoryTest, CountsAndAANumbersTheFileCannotBackAreADamagedFile)
{
    // Each count would read billions of lines past the end of the file.
    std::string strNestedGreedy;
    for (int i = 0; i < 2000; ++i)
        strNestedGreedy += "\"n\"\n0\n1000000\n";
    // Each AA number is beyond the 32 bits the categories hold: saved, it
    // would become another number.
    struct CCase
    {
        std::string m_strText;
        const char* m_pszLine; // that the words name
    };
    const CCase cases[] = {
        {"\"r\"\n2000000000\n1\n", nullptr},
        {"\"r\"\n0\n2000000000\n", nullptr},
        {strNestedGreedy, nullptr},
        {"\"r\"\n2\n0\n4294967296\n0\n", "line 4 "},
        {"\"r\"\n0\n1\n\"c\"\n1\n-2147483649\n0\n", "line 6 "},
        {"\"r\"\n1\n99999999999999999999999\n0\n", "line 3 "},
    };
    for (const CCase& test : cases) {
        CCategory category;
        category.SetName("kept");
        // Damage ends in an error, not in a hang (the test run's time limit
        // catches a hang) nor in a changed number.
        try {
            LoadFromText(category, test.m_strText);
            ADD_FAILURE() << "loaded " << test.m_strText;
        } catch (const CRidaxoError& error) {
            if (test.m_pszLine != nullptr) {
                EXPECT_NE(error.GetCause().find(test.m_pszLine), std::string::npos) << error.GetCause();
            }
        }
        EXPECT_EQ(DescribeTree(category), "kept{}[]"); // a failed load changes nothing
    }
}

TEST(CategoryTest, CountsTheAAEntriesTheStoreCannotBack)
{
    CAAStore store;
    LoadStoreFromText(store, MakeAAFile({"a", "b", "c"}));
    CCategory root;
    root.AddAA(-1);
    root.AddAA(0);
    root.AddAA(2);
    CCategory* pChild = root.AddChild("c");
    pChild->AddAA(3);
    pChild->AddAA(3);
    pChild->AddChild("g")->AddAA(1);
    EXPECT_EQ(CountUnbackedAAs(root, store), 3U);
    EXPECT_EQ(CountUnbackedAAs(*pChild, store), 2U);
    // The text file has since lost AAs.
    LoadStoreFromText(store, MakeAAFile({"a"}));
    EXPECT_EQ(CountUnbackedAAs(root, store), 5U);
}

TEST(CategoryTest, AMillionNestedBlocksLoadSaveAndDestroyWithoutRecursion)
{
    constexpr int kDepth = 1000000;
    std::string text;
    for (int i = 0; i < kDepth; ++i)
        text += "\"\"\n0\n1\n";
    text += "\"deepest\"\n1\n7\n0\n";
    {
        CCategory root;
        LoadFromText(root, text);
        const CCategory* pDeepest = &root;
        int nDepth = 0;
        while (pDeepest->GetChildCount() == 1)
            pDeepest = pDeepest->GetChildAt(0), ++nDepth;
        EXPECT_EQ(nDepth, kDepth);
        EXPECT_EQ(pDeepest->GetName(), "deepest");
        EXPECT_EQ(SaveToString(root), text);
    }
}

TEST(CategoryTest, PlaceAllInRootAndSwapKeepParentsRight)
{
    CAAStore store;
    LoadStoreFromText(store, MakeAAFile({"a", "b", "c"}));

    CCategoryModel model;
    model.SetRootName("r");
    model.GetRoot().AddChild("old");
    model.PlaceAllInRoot(store);
    EXPECT_EQ(DescribeTree(model.GetRoot()), "r{0,1,2,}[]");

    CCategoryModel other;
    other.GetRoot().AddChild("x")->AddChild("y");
    model.Swap(other);
    EXPECT_EQ(DescribeTree(model.GetRoot()), "{}[x{}[y{}[]]]"); // Describe checks the parents
    EXPECT_EQ(DescribeTree(other.GetRoot()), "r{0,1,2,}[]");
}

TEST(CategoryTest, RemovingReportedCategoriesDestroysEachOnceInAnyOrder)
{
    // A tree control reports every item of a deleted branch, in an order of
    // its own. Every order of every report below must give the same tree;
    // under AddressSanitizer a second destruction or a read after one fails.
    struct CCase
    {
        std::vector<std::string> m_reported;
        const char* m_pszAfter;
    };
    const CCase cases[] = {
        {{"b"}, "r{7,}[a{1,}[d{}[]]e{}[]]"},
        {{"b", "c"}, "r{7,}[a{1,}[d{}[]]e{}[]]"},
        {{"a", "b", "c", "d"}, "r{7,}[e{}[]]"},
        {{"c", "e"}, "r{7,}[a{1,}[b{2,}[]d{}[]]]"},
        {{"b", "c", "c", "b"}, "r{7,}[a{1,}[d{}[]]e{}[]]"},
        // The top folder's item: the root stays with its name and AAs.
        {{"r", "a", "b", "c", "d", "e"}, "r{7,}[]"},
        {{}, "r{7,}[a{1,}[b{2,}[c{3,}[]]d{}[]]e{}[]]"},
    };
    for (const CCase& test : cases) {
        std::vector<std::string> order = test.m_reported;
        std::sort(order.begin(), order.end());
        do {
            CCategory root;
            root.SetName("r");
            root.AddAA(7);
            CCategory* pA = root.AddChild("a");
            pA->AddAA(1);
            CCategory* pB = pA->AddChild("b");
            pB->AddAA(2);
            pB->AddChild("c")->AddAA(3);
            pA->AddChild("d");
            root.AddChild("e");
            const std::map<std::string, CCategory*> byName = {{"r", &root},
                                                              {"a", pA},
                                                              {"b", pB},
                                                              {"c", pB->GetChildAt(0)},
                                                              {"d", pA->GetChildAt(1)},
                                                              {"e", root.GetChildAt(1)}};
            std::vector<CCategory*> reported;
            for (const std::string& strName : order)
                reported.push_back(byName.at(strName));

            CCategory::RemoveCategories(reported);
            EXPECT_EQ(DescribeTree(root), test.m_pszAfter) << ::testing::PrintToString(order);
        } while (std::next_permutation(order.begin(), order.end()));
    }
}
