#include "TreeDragRules.h"

#include <gtest/gtest.h>

#include <vector>

TEST(TreeDragRulesTest, DropPlaceByTargetAndDepthInBothModes)
{
    struct CCase
    {
        bool m_bHasTarget;
        bool m_bTargetInDragged;
        bool m_bKeepDepth;
        int m_nDragDepth;
        int m_nTargetDepth;
        EDropPlace m_nPlace;
    };
    const CCase cases[] = {
        // No item was ever under the pointer, or the target is the dragged
        // item or below it: refused in either mode, whatever the depths.
        {false, false, false, 1, 1, EDropPlace::Refused},
        {false, false, true, 1, 1, EDropPlace::Refused},
        {true, true, false, 1, 2, EDropPlace::Refused},
        {true, true, true, 1, 1, EDropPlace::Refused},
        {true, true, true, 1, 2, EDropPlace::Refused},
        // Without keeping the depth, every other target takes it last,
        // its own parent included.
        {true, false, false, 3, 2, EDropPlace::LastChildOfTarget},
        {true, false, false, 1, 5, EDropPlace::LastChildOfTarget},
        {true, false, false, 4, 0, EDropPlace::LastChildOfTarget},
        // Keeping the depth: a sibling after a target of the same depth,
        // a child of a target one level up, nothing otherwise.
        {true, false, true, 2, 2, EDropPlace::AfterTarget},
        {true, false, true, 0, 0, EDropPlace::AfterTarget},
        {true, false, true, 2, 1, EDropPlace::LastChildOfTarget},
        {true, false, true, 3, 1, EDropPlace::Refused},
        {true, false, true, 1, 2, EDropPlace::Refused},
    };
    for (const CCase& test : cases) {
        EXPECT_EQ(ChooseDropPlace(test.m_bHasTarget, test.m_bTargetInDragged, test.m_bKeepDepth, test.m_nDragDepth,
                                  test.m_nTargetDepth),
                  test.m_nPlace)
            << test.m_bHasTarget << test.m_bTargetInDragged << test.m_bKeepDepth << ' ' << test.m_nDragDepth << ' '
            << test.m_nTargetDepth;
    }
}

TEST(TreeDragRulesTest, HoverPeriodStartsOnceAndAgainOnlyOverTheFirstHighlightedItem)
{
    int dragged = 0, other = 0, third = 0;
    using EAction = CHoverRule::EAction;
    struct CStep
    {
        const void* m_hItem;
        const void* m_hHighlighted;
        bool m_bTimerRunning;
        EAction m_nAction;
        const void* m_hFirstHover;
    };
    // A drag starting on `dragged`: the first move highlights it with no
    // highlight before, so the first hover is learnt at the second move.
    const std::vector<CStep> steps = {
        {&dragged, nullptr, false, EAction::Start, nullptr},
        {&dragged, &dragged, true, EAction::Restart, &dragged},
        {&other, &dragged, true, EAction::None, &dragged},
        {&third, &other, true, EAction::None, &dragged},
        {&dragged, &third, true, EAction::Restart, &dragged},
        // A timer that was stopped (the window's doing) starts at any item.
        {&other, &dragged, false, EAction::Start, &dragged},
    };
    CHoverRule rule;
    for (size_t i = 0; i < steps.size(); ++i) {
        const CStep& step = steps[i];
        EXPECT_EQ(rule.OnMoveOverItem(step.m_hItem, step.m_hHighlighted, step.m_bTimerRunning), step.m_nAction) << i;
        EXPECT_EQ(rule.GetFirstHover(), step.m_hFirstHover) << i;
    }
    rule.Reset();
    EXPECT_EQ(rule.GetFirstHover(), nullptr);
    EXPECT_EQ(rule.OnMoveOverItem(&third, &other, true), EAction::None);
    EXPECT_EQ(rule.GetFirstHover(), &other);
}
