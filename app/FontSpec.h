#pragma once

#include <cstdint>
#include <functional>

#include <wx/font.h>
#include <wx/string.h>

// A logical font as the program describes it: the fields of a Windows
// LOGFONT that the text pane's font is made from. A negative height is the
// character height in pixels without internal leading.
struct CLogFont
{
    int m_nHeight = 0;
    int m_nWidth = 0;
    int m_nEscapement = 0;
    int m_nOrientation = 0;
    int m_nWeight = 0;
    std::uint8_t m_nItalic = 0;
    std::uint8_t m_nUnderline = 0;
    std::uint8_t m_nStrikeOut = 0;
    std::uint8_t m_nCharSet = 0;
    wxString m_strFaceName;
};

// The text pane's font: what the user chose, the logical font built from it
// and the font object made from that.
class CFontSpec
{
public:
    CFontSpec();
    virtual ~CFontSpec() = default;

    // Rebuilds m_logFont for a device with nDpiY pixels per inch vertically.
    const CLogFont& BuildLogFont(int nDpiY);
    // Builds the logical font and makes m_font from it, in the face the
    // system actually has (see ResolveFaceName).
    const wxFont& MakeFont(int nDpiY);

    // Takes over what the font dialog returned: the size in tenths of a
    // point truncated to whole points, bold only for weight 700 exactly.
    void ApplyChoice(int nTenthsOfPoint, const wxString& strFaceName, int nWeight, bool bItalic, bool bUnderline,
                     bool bStrikeOut);
    void ApplyChosenFont(const wxFont& font);

    // The face the font is made in: m_strFaceName, or its stand-in when the
    // system lacks it. This is also what the font dialog shows.
    wxString GetEffectiveFaceName() const;

    int m_nPointSize = 12;
    wxString m_strFaceName;
    bool m_bBold = false;
    bool m_bItalic = false;
    bool m_bUnderline = false;
    bool m_bStrikeOut = false;
    std::uint8_t m_nCharSet = 128; // Shift-JIS
    CLogFont m_logFont;
    wxFont m_font;
    bool m_bFontMade = false;
};

// AAs are drawn for the glyph widths of "ＭＳ Ｐゴシック"; where a face is
// missing, the first present face with the same widths stands in for it
// (Monapo, IPAMonaPGothic, Mona, IPAPGothic). Returns strFace itself when it
// is available or when none of the stand-ins is.
wxString ResolveFaceName(const wxString& strFace, const std::function<bool(const wxString&)>& fnIsAvailable);

// a × b / c rounded half away from zero, as the Windows MulDiv.
int MulDiv(int a, int b, int c);
