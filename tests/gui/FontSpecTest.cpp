#include "FontSpec.h"
#include "AboutDlg.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "Resources.h"

#include <wx/textctrl.h>

#include <set>

TEST(FontSpecTest, BuildsTheLogicalFontFromTheChoice)
{
    const struct
    {
        int m_nPointSize;
        int m_nDpi;
        bool m_bBold;
        int m_nHeight;
        int m_nWeight;
    } cases[] = {
        {12, 96, false, -16, 400},
        {10, 120, true, -17, 700}, // 16.67 rounds to 17
        {9, 72, false, -9, 400},
        {11, 96, false, -15, 400}, // 14.67 rounds to 15
    };
    for (const auto& testCase : cases) {
        CFontSpec spec;
        spec.m_nPointSize = testCase.m_nPointSize;
        spec.m_bBold = testCase.m_bBold;
        spec.m_bUnderline = true;
        const CLogFont& logFont = spec.BuildLogFont(testCase.m_nDpi);
        EXPECT_EQ(logFont.m_nHeight, testCase.m_nHeight);
        EXPECT_EQ(logFont.m_nWeight, testCase.m_nWeight);
        EXPECT_EQ(logFont.m_nUnderline, 1);
        EXPECT_EQ(logFont.m_nItalic, 0);
        EXPECT_EQ(logFont.m_nCharSet, 128);
        EXPECT_EQ(logFont.m_nWidth, 0);
        EXPECT_EQ(logFont.m_strFaceName, wxString::FromUTF8("ＭＳ Ｐゴシック"));
    }
}

TEST(FontSpecTest, TakesTheDialogsChoiceTruncatedAndBoldOnlyAt700)
{
    const struct
    {
        int m_nTenths;
        int m_nWeight;
        int m_nPointSize;
        bool m_bBold;
    } cases[] = {{105, 400, 10, false}, {120, 700, 12, true}, {99, 800, 9, false}, {80, 600, 8, false}};
    for (const auto& testCase : cases) {
        CFontSpec spec;
        spec.ApplyChoice(testCase.m_nTenths, "Monapo", testCase.m_nWeight, true, false, true);
        EXPECT_EQ(spec.m_nPointSize, testCase.m_nPointSize);
        EXPECT_EQ(spec.m_bBold, testCase.m_bBold);
        EXPECT_TRUE(spec.m_bItalic);
        EXPECT_TRUE(spec.m_bStrikeOut);
        EXPECT_EQ(spec.m_strFaceName, "Monapo");
    }
}

TEST(FontSpecTest, MissingFaceFallsBackToTheFirstPresentStandIn)
{
    const wxString strDefault = wxString::FromUTF8("ＭＳ Ｐゴシック");
    const auto only = [](std::set<wxString> faces) {
        return [faces](const wxString& strFace) { return faces.count(strFace) > 0; };
    };
    EXPECT_EQ(ResolveFaceName(strDefault, only({strDefault, "Monapo"})), strDefault);
    EXPECT_EQ(ResolveFaceName(strDefault, only({"IPAPGothic", "Mona"})), "Mona");
    EXPECT_EQ(ResolveFaceName(strDefault, only({"IPAPGothic"})), "IPAPGothic");
    EXPECT_EQ(ResolveFaceName(strDefault, only({})), strDefault);
}

using TextPaneTest = CAppFixture;

TEST_F(TextPaneTest, UsesTheAAFontAndTheAboutBoxShowsTheVersionLine)
{
    const wxFont font = Frame()->GetTextView()->GetFont();
    EXPECT_EQ(font.GetFaceName(), Frame()->m_fontSpec.GetEffectiveFaceName());
    EXPECT_EQ(font.GetPixelSize().GetHeight(), -Frame()->m_fontSpec.m_logFont.m_nHeight);

    CAboutDlg about(Frame());
    about.InitDialog();
    EXPECT_EQ(about.m_strVersion, wxString::FromUTF8("Ridaxo　ver.α１_030330"));
    EXPECT_EQ(about.FindWindow(IDC_VERSION)->GetLabel(), about.m_strVersion);
}
