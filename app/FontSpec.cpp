#include "FontSpec.h"

#include "Resources.h"

#include <wx/fontenum.h>

#include <cmath>
#include <cstdlib>

namespace
{
const char* const kDefaultFace = "ＭＳ Ｐゴシック";
const char* const kStandIns[] = {"Monapo", "IPAMonaPGothic", "Mona", "IPAPGothic"};
constexpr int kWeightNormal = 400;
constexpr int kWeightBold = 700;
} // namespace

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long nProduct = static_cast<long long>(a) * b;
    long long nQuotient = nProduct / c;
    const long long nRemainder = nProduct % c;
    if (std::llabs(nRemainder) * 2 >= std::llabs(c))
        nQuotient += ((nProduct < 0) != (c < 0)) ? -1 : 1;
    return static_cast<int>(nQuotient);
}

wxString ResolveFaceName(const wxString& strFace, const std::function<bool(const wxString&)>& fnIsAvailable)
{
    if (fnIsAvailable(strFace))
        return strFace;
    for (const char* pszStandIn : kStandIns) {
        if (fnIsAvailable(pszStandIn))
            return pszStandIn;
    }
    return strFace;
}

CFontSpec::CFontSpec() : m_strFaceName(U8(kDefaultFace)) {}

const CLogFont& CFontSpec::BuildLogFont(int nDpiY)
{
    m_logFont = CLogFont{};
    m_logFont.m_nHeight = -MulDiv(m_nPointSize, nDpiY, 72);
    m_logFont.m_strFaceName = m_strFaceName;
    m_logFont.m_nWeight = m_bBold ? kWeightBold : kWeightNormal;
    m_logFont.m_nItalic = m_bItalic ? 1 : 0;
    m_logFont.m_nUnderline = m_bUnderline ? 1 : 0;
    m_logFont.m_nStrikeOut = m_bStrikeOut ? 1 : 0;
    m_logFont.m_nCharSet = m_nCharSet;
    return m_logFont;
}

wxString CFontSpec::GetEffectiveFaceName() const
{
    return ResolveFaceName(m_strFaceName,
                           [](const wxString& strFace) { return wxFontEnumerator::IsValidFacename(strFace); });
}

const wxFont& CFontSpec::MakeFont(int nDpiY)
{
    const CLogFont& logFont = BuildLogFont(nDpiY);
    wxFontInfo info(wxSize(0, -logFont.m_nHeight));
    info.FaceName(GetEffectiveFaceName())
        .Weight(logFont.m_nWeight)
        .Italic(logFont.m_nItalic != 0)
        .Underlined(logFont.m_nUnderline != 0)
        .Strikethrough(logFont.m_nStrikeOut != 0);
    m_font = wxFont(info);
    m_bFontMade = true;
    return m_font;
}

void CFontSpec::ApplyChoice(int nTenthsOfPoint, const wxString& strFaceName, int nWeight, bool bItalic, bool bUnderline,
                            bool bStrikeOut)
{
    m_nPointSize = nTenthsOfPoint / 10;
    m_strFaceName = strFaceName;
    m_bBold = nWeight == kWeightBold;
    m_bItalic = bItalic;
    m_bUnderline = bUnderline;
    m_bStrikeOut = bStrikeOut;
}

void CFontSpec::ApplyChosenFont(const wxFont& font)
{
    const int nTenths = static_cast<int>(std::lround(font.GetFractionalPointSize() * 10.0));
    ApplyChoice(nTenths, font.GetFaceName(), font.GetNumericWeight(), font.GetStyle() != wxFONTSTYLE_NORMAL,
                font.GetUnderlined(), font.GetStrikethrough());
}
