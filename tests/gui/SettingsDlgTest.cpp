#include "SettingsDlg.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "Resources.h"

#include <wx/textctrl.h>

namespace
{
using SettingsDlgTest = CAppFixture;

// A step that types into both fields and presses OK.
std::function<void(wxDialog&)> TypeAndPressOk(const char* pszThreshold, const char* pszMinItems)
{
    return [=](wxDialog& dialog) {
        auto& settings = dynamic_cast<CSettingsDlg&>(dialog);
        settings.GetThresholdEdit()->SetValue(pszThreshold);
        settings.GetMinItemsEdit()->SetValue(pszMinItems);
        PressButton(dialog, wxID_OK);
    };
}

void PressCancel(wxDialog& dialog)
{
    PressButton(dialog, wxID_CANCEL);
}
} // namespace

TEST(ParseDialogUIntTest, TakesOnlyUnsignedDecimalNumbers)
{
    const struct
    {
        const char* m_pszText;
        std::optional<unsigned> m_nExpected;
    } cases[] = {
        {"1", 1U},
        {" 999 ", 999U},
        {"+7", 7U},
        {"0", 0U},
        {"", std::nullopt},
        {"-1", std::nullopt},
        {"1a", std::nullopt},
        {"１", std::nullopt},
        {"99999999999", 4294967295U},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(ParseDialogUInt(wxString::FromUTF8(testCase.m_pszText)), testCase.m_nExpected) << testCase.m_pszText;
}

TEST_F(SettingsDlgTest, AcceptsTheRangeEndsAndRefusesBeyondThemThresholdFirst)
{
    // Each row: what is typed, whether OK closes the dialog, and which
    // field a refusal names by taking the focus.
    const struct
    {
        const char* m_pszThreshold;
        const char* m_pszMinItems;
        bool m_bAccepted;
        int m_nRefusedField;
    } cases[] = {
        {"1", "999", true, 0},
        {"999", "1", true, 0},
        {"0", "5", false, IDC_THRESHOLD},
        {"3", "1000", false, IDC_MIN_ITEMS},
        {"1000", "0", false, IDC_THRESHOLD},
        {"3", "x", false, IDC_MIN_ITEMS},
    };
    for (const auto& testCase : cases) {
        Frame()->SimilarityThreshold = 3;
        Frame()->MinCategoryItems = 5;
        m_messages.clear();
        int nFocused = 0;
        std::vector<std::function<void(wxDialog&)>> steps{
            TypeAndPressOk(testCase.m_pszThreshold, testCase.m_pszMinItems)};
        if (!testCase.m_bAccepted) {
            steps.push_back([&](wxDialog& dialog) {
                if (wxWindow* pFocus = wxWindow::FindFocus())
                    nFocused = pFocus->GetId();
                PressCancel(dialog);
            });
        }
        RunModal([&] { Frame()->EditSettings(); }, std::move(steps));

        SCOPED_TRACE(std::string(testCase.m_pszThreshold) + "/" + testCase.m_pszMinItems);
        if (testCase.m_bAccepted) {
            EXPECT_TRUE(m_messages.empty());
            EXPECT_EQ(Frame()->SimilarityThreshold, *ParseDialogUInt(testCase.m_pszThreshold));
            EXPECT_EQ(Frame()->MinCategoryItems, *ParseDialogUInt(testCase.m_pszMinItems));
        } else {
            EXPECT_EQ(m_messages.size(), 1U);
            EXPECT_EQ(nFocused, testCase.m_nRefusedField);
            EXPECT_EQ(Frame()->SimilarityThreshold, 3U);
            EXPECT_EQ(Frame()->MinCategoryItems, 5U);
        }
    }
}

TEST_F(SettingsDlgTest, ShowsTheCurrentValuesAndCancelKeepsThem)
{
    wxString strShownThreshold;
    wxString strShownMinItems;
    RunModal([&] { Frame()->EditSettings(); }, {[&](wxDialog& dialog) {
                                                    auto& settings = dynamic_cast<CSettingsDlg&>(dialog);
                                                    strShownThreshold = settings.GetThresholdEdit()->GetValue();
                                                    strShownMinItems = settings.GetMinItemsEdit()->GetValue();
                                                    settings.GetThresholdEdit()->SetValue("7");
                                                    settings.GetMinItemsEdit()->SetValue("9");
                                                },
                                                PressCancel});
    EXPECT_EQ(strShownThreshold, "3");
    EXPECT_EQ(strShownMinItems, "5");
    EXPECT_EQ(Frame()->SimilarityThreshold, 3U);
    EXPECT_EQ(Frame()->MinCategoryItems, 5U);
}
