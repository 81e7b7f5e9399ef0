#include "ListExSelect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// One event as the window reports it, and the step it must take.
struct CEvent
{
    enum class EKind
    {
        LeftPress,
        LeftRelease,
        RightPress,
        FocusMove,
    };
    EKind m_nKind;
    int m_nItem;
    bool m_bShift = false;
    bool m_bCtrl = false;
    bool m_bItemSelected = false;
    int m_nSelectedCount = 0;
};

std::string Describe(const CListExSelectStep& step)
{
    switch (step.m_nAction) {
    case EListExSelect::None:
        return "none";
    case EListExSelect::ClearAll:
        return "clear";
    case EListExSelect::SelectOnly:
        return "only " + std::to_string(step.m_nItem);
    case EListExSelect::SelectRange:
        return "range " + std::to_string(step.m_nFrom) + "-" + std::to_string(step.m_nItem) +
               (step.m_bKeepOthers ? " keep" : "");
    case EListExSelect::Toggle:
        return "toggle " + std::to_string(step.m_nItem);
    case EListExSelect::FocusOnly:
        return "focus " + std::to_string(step.m_nItem);
    }
    return "?";
}

} // namespace

TEST(ListExSelectTest, ClicksAndKeysSelectAsListsDoAndKeepTheirAnchor)
{
    using EKind = CEvent::EKind;
    struct CCase
    {
        const char* m_pszWhat;
        bool m_bMulti;
        std::vector<CEvent> m_events;
        std::vector<std::string> m_steps;
        int m_nAnchor;
    };
    const CCase cases[] = {
        {"a click selects the row alone and anchors there", true, {{EKind::LeftPress, 3}}, {"only 3"}, 3},
        {"Shift-click extends from the anchor, Ctrl keeps the others",
         true,
         {{EKind::LeftPress, 2}, {EKind::LeftPress, 5, true}, {EKind::LeftPress, 0, true, true}},
         {"only 2", "range 2-5", "range 2-0 keep"},
         2},
        {"Shift-click without an anchor selects the row alone", true, {{EKind::LeftPress, 4, true}}, {"only 4"}, 4},
        {"Ctrl-click flips a row and moves the anchor",
         true,
         {{EKind::LeftPress, 1}, {EKind::LeftPress, 6, false, true}},
         {"only 1", "toggle 6"},
         6},
        {"a click on one of several selected waits for the release",
         true,
         {{EKind::LeftPress, 2, false, false, true, 3}, {EKind::LeftRelease, 0}},
         {"focus 2", "only 2"},
         2},
        {"below the rows a click clears, a Ctrl-click keeps",
         true,
         {{EKind::LeftPress, -1}, {EKind::LeftPress, -1, false, true}},
         {"clear", "none"},
         -1},
        {"a single-selection list ignores Shift and Ctrl",
         false,
         {{EKind::LeftPress, 1}, {EKind::LeftPress, 4, true}, {EKind::LeftPress, 5, false, true}},
         {"only 1", "only 4", "only 5"},
         5},
        {"a right click selects an unselected row, keeps a selected one",
         true,
         {{EKind::RightPress, 3}, {EKind::RightPress, 3, false, false, true}, {EKind::RightPress, -1}},
         {"only 3", "focus 3", "clear"},
         3},
        {"keys: Shift extends from the anchor, Ctrl moves the focus alone",
         true,
         {{EKind::FocusMove, 2}, {EKind::FocusMove, 4, true}, {EKind::FocusMove, 7, false, true}},
         {"only 2", "range 2-4", "focus 7"},
         2},
    };
    for (const CCase& test : cases) {
        CListExSelectRules rules;
        std::vector<std::string> steps;
        for (const CEvent& event : test.m_events) {
            CListExSelectStep step;
            switch (event.m_nKind) {
            case EKind::LeftPress:
                step = rules.OnLeftPress(event.m_nItem, event.m_bShift, event.m_bCtrl, test.m_bMulti,
                                         event.m_bItemSelected, event.m_nSelectedCount);
                break;
            case EKind::LeftRelease:
                step = rules.OnLeftRelease(10);
                break;
            case EKind::RightPress:
                step = rules.OnRightPress(event.m_nItem, event.m_bItemSelected);
                break;
            case EKind::FocusMove:
                step = rules.OnFocusMove(event.m_nItem, event.m_bShift, event.m_bCtrl, test.m_bMulti);
                break;
            }
            steps.push_back(Describe(step));
        }
        EXPECT_EQ(steps, test.m_steps) << test.m_pszWhat;
        EXPECT_EQ(rules.GetAnchor(), test.m_nAnchor) << test.m_pszWhat;
    }

    // A drag forgets the waiting press; deleted rows forget an anchor past
    // the end.
    CListExSelectRules rules;
    rules.OnLeftPress(8, false, false, true, true, 2);
    rules.ForgetPress();
    EXPECT_EQ(Describe(rules.OnLeftRelease(10)), "none");
    rules.OnRowDeleted(8);
    EXPECT_EQ(rules.GetAnchor(), -1);
}
