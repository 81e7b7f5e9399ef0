#include "AutoCategorize.h"
#include "AAStore.h"
#include "Category.h"
#include "ModelHelpers.h"

#include <gtest/gtest.h>

namespace
{
struct CGroupingCase
{
    const char* pszWhat;
    std::vector<std::string> names;
    unsigned nThreshold;
    unsigned nMinItems;
    std::string expected; // DescribeTree of the root, named "r"
};

std::string Group(const std::vector<std::string>& names, unsigned nThreshold, unsigned nMinItems)
{
    CAAStore store;
    LoadStoreFromText(store, MakeAAFile(names));
    CCategoryModel model;
    model.SetRootName("r");
    model.GetRoot().AddChild("from before")->AddAA(0);
    model.AutoCategorize(store, nThreshold, nMinItems);
    return DescribeTree(model.GetRoot());
}

// あ い う: 82 A0, 82 A2, 82 A4. ゾ (83 5D) and ソ (83 5C) differ in the trail byte.
const std::string kA = "\x82\xA0", kI = "\x82\xA2", kU = "\x82\xA4", kZo = "\x83\x5D", kSo = "\x83\x5C";
} // namespace

TEST(AutoCategorizeTest, GroupsAsTheWorkedExamplesAndEdgeCasesWant)
{
    const CGroupingCase cases[] = {
        {"worked example", {"ABCx", "ABDy", "ABCz", "XY", "ABCw"}, 3, 2, "r{1,3,}[ABC{4,2,0,}[]]"},
        {"two-byte names, cut before a character", {kA + kI, kA + kU}, 1, 2, "r{}[" + kA + "{1,0,}[]]"},
        {"M = 1: every long enough name in a category",
         {"abc1", "xyz", "ab", "abc2"},
         3,
         1,
         "r{2,}[abc{3,0,}[]xyz{1,}[]]"},
        {"M larger than the count", {"aaa", "aaa", "aaa"}, 3, 4, "r{0,1,2,}[]"},
        {"trail bytes differ in the N-th character", {"a" + kZo + "1", "a" + kSo + "1"}, 2, 2, "r{0,1,}[]"},
        {"a name equal to the seed's first N characters", {"abcdef", "abc"}, 3, 2, "r{}[abc{1,0,}[]]"},
        {"identical names: named by the whole name", {"same!", "same!"}, 3, 2, "r{}[same!{1,0,}[]]"},
        {"empty and short names stay in the root", {"", "", "ab", "ab"}, 3, 1, "r{0,1,2,3,}[]"},
        {"a lone lead byte is no whole character", {"ab\x82", "ab\x82"}, 3, 1, "r{0,1,}[]"},
        {"partners of a failed seed fail as well",
         {"pqr1", "pqr2", "zzz1", "zzz2", "zzz3"},
         3,
         3,
         "r{0,1,}[zzz{4,3,2,}[]]"},
        {"the name can be longer than N characters", {"catnip", "catnap", "cat!"}, 2, 2, "r{}[cat{2,1,0,}[]]"},
        {"categories in seed order", {"bbb1", "aaa1", "bbb2", "aaa2"}, 3, 2, "r{}[bbb{2,0,}[]aaa{3,1,}[]]"},
        {"an empty store", {}, 3, 5, "r{}[]"},
    };
    for (const CGroupingCase& c : cases)
        EXPECT_EQ(Group(c.names, c.nThreshold, c.nMinItems), c.expected) << c.pszWhat;
}

TEST(AutoCategorizeTest, RunningTwiceGivesTheSameTree)
{
    const std::vector<std::string> names = {"ねこa", "ねこb", "いぬ", "ねこc", "いぬ2"};
    EXPECT_EQ(Group(names, 2, 2), Group(names, 2, 2));
}

TEST(AutoCategorizeTest, CommonPrefixLengthCountsBytes)
{
    EXPECT_EQ(CommonPrefixLength("abc", "abd"), 2U);
    EXPECT_EQ(CommonPrefixLength("", "abd"), 0U);
    EXPECT_EQ(CommonPrefixLength("ab", "abc"), 2U);
    EXPECT_EQ(CommonPrefixLength(kA + kI, kA + kU), 3U); // ends inside a character
}
