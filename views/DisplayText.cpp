#include "DisplayText.h"

#include "ShiftJis.h"

wxString ToDisplay(std::string_view cp932)
{
    return wxString::FromUTF8(Cp932ToUtf8(cp932));
}

std::optional<std::string> FromDisplay(const wxString& strText)
{
    return Utf8ToCp932(strText.utf8_string());
}
