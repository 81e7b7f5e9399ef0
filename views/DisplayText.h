#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <wx/string.h>

// Names and AA text are code page 932 bytes everywhere but on the screen.
// What is shown is converted leniently: a byte that is not code page 932,
// and a NUL byte, which the platform's text widgets take for the end of the
// text, show as a replacement character and never empty the rest. With
// bReferences (for the files whose store resolves them, see
// CAAStore::ResolvesReferences), character references show as the
// characters they stand for (Cp932ToUtf8ResolvingReferences).

// How many characters of a name are shown at most, wherever it is shown
// (list rows, tree labels, their tooltips and drag pictures): far more than
// any pane is wide, and few enough that converting, measuring and drawing a
// name costs next to nothing however long the name is.
constexpr std::size_t kNameDisplayChars = 256;

// How much of an AA's body the text pane shows: the platform's text view
// lays out and draws this much within a blink (see bench/README.md), and
// real AAs are far smaller. Lines longer than kPaneLineBytes bytes are cut
// there; the text stops after kPaneTextBytes bytes (line ends aside) or
// kPaneLines lines, whichever comes first: each line costs the view as
// much as some twenty characters.
constexpr std::size_t kPaneLineBytes = std::size_t{4} * 1024;
constexpr std::size_t kPaneTextBytes = std::size_t{128} * 1024;
constexpr std::size_t kPaneLines = std::size_t{8} * 1024;

// A name for display, in UTF-8: its first kNameDisplayChars characters,
// followed by "…" when it has more. Costs the same for a name of a
// megabyte as for one of kNameDisplayChars characters.
std::string DisplayNameUtf8(std::string_view cp932, bool bReferences = false);

// An AA's body as the text pane shows it, in UTF-8: lines end in LF, and
// each cut (of a long line, or of the text after kPaneTextBytes) ends in
// "…". m_bCut is set when anything of the body is not shown.
struct CPaneText
{
    std::string m_strUtf8;
    bool m_bCut = false;
};
CPaneText MakePaneText(std::string_view cp932, bool bReferences = false);

// Code page 932 text for display, whole.
wxString ToDisplay(std::string_view cp932, bool bReferences = false);
// A name for display, cut as DisplayNameUtf8 cuts it.
wxString ToDisplayName(std::string_view cp932, bool bReferences = false);
// Text the user typed, in code page 932; nullopt when code page 932 cannot
// hold it.
std::optional<std::string> FromDisplay(const wxString& strText);
