#include "Category.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{
// Records each insertion as "parent>name"; handles are 1-based positions in
// the record, 0 being the caller's parent.
class CRecordingSink : public ICategoryTreeSink
{
public:
    void* InsertItem(void* hParent, CCategory& category) override
    {
        const auto nParent = reinterpret_cast<std::uintptr_t>(hParent);
        m_inserts.push_back(std::to_string(nParent) + ">" + category.GetName());
        m_categories.push_back(&category);
        return reinterpret_cast<void*>(static_cast<std::uintptr_t>(m_inserts.size()));
    }

    std::vector<std::string> m_inserts;
    std::vector<CCategory*> m_categories;
};
} // namespace

TEST(CategoryFillTreeTest, InsertsDepthFirstEachChildUnderItsParentsItem)
{
    CCategory root;
    root.SetName("root");
    CCategory* pA = root.AddChild("a");
    pA->AddChild("a1")->AddChild("a1x");
    pA->AddChild("a2");
    root.AddChild("b");

    CRecordingSink sink;
    root.FillTree(sink, nullptr);

    EXPECT_EQ(sink.m_inserts, (std::vector<std::string>{"0>root", "1>a", "2>a1", "3>a1x", "2>a2", "1>b"}));
    EXPECT_EQ(sink.m_categories[1], pA);
}

TEST(CategoryFillTreeTest, DeepChainDoesNotRecurse)
{
    CCategory root;
    CCategory* pLast = &root;
    for (int i = 0; i < 200000; ++i)
        pLast = pLast->AddChild("x");
    CRecordingSink sink;
    root.FillTree(sink, nullptr);
    ASSERT_EQ(sink.m_inserts.size(), 200001U);
    EXPECT_EQ(sink.m_inserts.back(), "200000>x");
}
