#include "AutoCategorize.h"
#include "AAStore.h"
#include "Category.h"
#include "ModelHelpers.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
struct CGroupingCase
{
    const char* m_pszWhat;
    std::vector<std::string> m_names;
    unsigned m_nThreshold;
    unsigned m_nMinItems;
    std::string m_strExpected; // DescribeTree of the root, named "r"
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
        EXPECT_EQ(Group(c.m_names, c.m_nThreshold, c.m_nMinItems), c.m_strExpected) << c.m_pszWhat;
}

TEST(AutoCategorizeTest, RunningTwiceGivesTheSameTree)
{
    // ねこ and いぬ in code page 932.
    const std::string strCat = "\x82\xCB\x82\xB1", strDog = "\x82\xA2\x82\xCA";
    const std::vector<std::string> names = {strCat + "a", strCat + "b", strDog, strCat + "c", strDog + "2"};
    EXPECT_EQ(Group(names, 2, 2), Group(names, 2, 2));
}

TEST(AutoCategorizeTest, CommonPrefixLengthCountsBytes)
{
    EXPECT_EQ(CommonPrefixLength("abc", "abd"), 2U);
    EXPECT_EQ(CommonPrefixLength("", "abd"), 0U);
    EXPECT_EQ(CommonPrefixLength("ab", "abc"), 2U);
    EXPECT_EQ(CommonPrefixLength(kA + kI, kA + kU), 3U); // ends inside a character
    // Longer than eight bytes, the first difference in the second eight.
    EXPECT_EQ(CommonPrefixLength("0123456789abcdefgh", "0123456789abXdefgh"), 12U);
    EXPECT_EQ(CommonPrefixLength("0123456789abcdef", "0123456789abcdef!"), 16U);
}

namespace
{
// Random names from a few pieces, so that names share prefixes, repeat and
// collide in the ways the grouping cares about: lead bytes (あ 82 A0, ゾ
// 83 5D whose trail byte is "]", ソ 83 5C), a lone lead byte that swallows
// the next byte, a half-width kana, "]" itself, and names shorter than any
// threshold.
std::vector<std::string> RandomNames(std::mt19937& random, std::size_t nCount, std::size_t nMaxPieces)
{
    static const std::string pieces[] = {"a", "a", "b", "]", "\x82\xA0", "\x83]", "\x83\\", "\x82", "\xB1", "ab"};
    std::vector<std::string> names;
    for (std::size_t i = 0; i < nCount; ++i) {
        if (!names.empty() && random() % 4 == 0) { // a variant of an earlier name
            std::string name = names[random() % names.size()];
            name.resize(random() % (name.size() + 1));
            names.push_back(name + pieces[random() % std::size(pieces)]);
            continue;
        }
        std::string name;
        for (std::size_t n = random() % (nMaxPieces + 1); n-- > 0;)
            name += pieces[random() % std::size(pieces)];
        names.push_back(name);
    }
    return names;
}

// Both groupings of store, as DescribeTree pictures them.
std::pair<std::string, std::string> GroupBothWays(const CAAStore& store, unsigned nThreshold, unsigned nMinItems)
{
    CCategory plain;
    CCategory fast;
    fast.AddChild("from before")->AddAA(1);
    AutoCategorizePlain(plain, store, nThreshold, nMinItems);
    AutoCategorizeFast(fast, store, nThreshold, nMinItems);
    return {DescribeTree(plain), DescribeTree(fast)};
}
} // namespace

TEST(AutoCategorizeTest, FastGroupingEqualsThePlainOneOnRandomNames)
{
    std::mt19937 random(2024);
    for (int nRound = 0; nRound < 1500; ++nRound) {
        CAAStore store;
        LoadStoreFromText(store, MakeAAFile(RandomNames(random, random() % 80, 8)));
        for (unsigned nThreshold = 1; nThreshold <= 6; ++nThreshold) {
            for (unsigned nMinItems = 1; nMinItems <= 10; ++nMinItems) {
                const auto [plain, fast] = GroupBothWays(store, nThreshold, nMinItems);
                ASSERT_EQ(fast, plain) << "round " << nRound << ", N " << nThreshold << ", M " << nMinItems;
            }
        }
    }
}

TEST(AutoCategorizeTest, FastGroupingEqualsThePlainOneOnManyKeys)
{
    // Thousands of keys: many look-ups in the fast grouping's table meet
    // other keys on their way.
    std::mt19937 random(99);
    CAAStore store;
    LoadStoreFromText(store, MakeAAFile(RandomNames(random, 4000, 12)));
    for (unsigned nThreshold : {2U, 4U, 6U}) {
        for (unsigned nMinItems : {1U, 3U}) {
            const auto [plain, fast] = GroupBothWays(store, nThreshold, nMinItems);
            ASSERT_EQ(fast, plain) << "N " << nThreshold << ", M " << nMinItems;
        }
    }
}

TEST(AutoCategorizeTest, FastGroupingEqualsThePlainOneForMinimaBeyondRoughCounts)
{
    // 300 AAs of one key among a few others, for minima around and far
    // beyond the largest count that the fast grouping's rough counters hold.
    std::vector<std::string> names(300, "same key");
    names.insert(names.begin() + 100, {"other", "sam", "same"});
    CAAStore store;
    LoadStoreFromText(store, MakeAAFile(names));
    for (unsigned nMinItems : {14U, 15U, 16U, 255U, 256U, 300U, 301U}) {
        const auto [plain, fast] = GroupBothWays(store, 3, nMinItems);
        ASSERT_EQ(fast, plain) << "M " << nMinItems;
    }
}
