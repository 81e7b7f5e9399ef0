#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The text a person searches AA names and bodies for, and the one rule by
// which it matches. The window and the command-line tool both search
// through CAAStore::FindAAs, which applies it.
//
// The text is code page 932. It matches where it occurs starting at a
// character boundary of the text searched, so that a one-byte character
// such as "\" or "]" never matches the trail byte of a two-byte character
// (表 is 0x95 0x5C, ソ 0x83 0x5C). ASCII letters match whatever their case;
// nothing else is folded: full-width and half-width forms, and the two
// bytes of any two-byte character, must match exactly. A text holding a
// line end never matches, as names and body lines hold none.
class CSearchText
{
public:
    // The text a person typed or gave in UTF-8; std::nullopt when code page
    // 932 cannot hold it (or it is not UTF-8), as such a text can match
    // nothing and the person is to be told so.
    static std::optional<CSearchText> FromUtf8(std::string_view utf8);
    explicit CSearchText(std::string_view cp932);

    // An empty text matches every name.
    bool IsEmpty() const { return m_strText.empty(); }
    std::size_t GetSize() const { return m_strText.size(); }
    const std::string& GetText() const { return m_strText; }
    // False for a text that holds a CR or LF.
    bool CanMatch() const { return m_bCanMatch; }

    // True when the text matches somewhere in text, a name or one line.
    bool OccursIn(std::string_view text) const;
    // True when text begins with the text, by the same rule.
    bool StartsIn(std::string_view text) const
    {
        return m_bCanMatch && text.size() >= m_strText.size() && MatchesAt(text.data());
    }

    // The first place in [pFrom, pEnd) where the text's bytes stand, ASCII
    // letters in any case, whether or not a character begins there; null
    // when there is none (always for a text that cannot match).
    const char* FindCandidate(const char* pFrom, const char* pEnd) const;

    // True when a character begins at p, reading characters from pKnown, a
    // place where one is known to begin (pKnown <= p). Reads back from p
    // only over bytes that may be lead bytes and never before pKnown: a
    // CR, an LF or any ASCII byte ends every character.
    static bool IsCharStart(const char* pKnown, const char* p);

private:
    bool MatchesAt(const char* p) const;

    std::string m_strText;
    // The text with its one-byte letters in lower case, and per byte
    // whether it is such a letter.
    std::string m_strLower;
    std::string m_foldFlags;
    // The longest run of the text without a letter to fold, searched for
    // first; the rest is compared around each place it is found.
    std::size_t m_nAnchorPos = 0;
    std::size_t m_nAnchorSize = 0;
    bool m_bCanMatch = true;
};
