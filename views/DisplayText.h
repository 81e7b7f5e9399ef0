#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <wx/string.h>

// Names and AA text are code page 932 bytes everywhere but on the screen.

// Code page 932 text for display; a byte that is not code page 932 shows as
// a replacement character and never empties the rest.
wxString ToDisplay(std::string_view cp932);
// Text the user typed, in code page 932; nullopt when code page 932 cannot
// hold it.
std::optional<std::string> FromDisplay(const wxString& strText);
