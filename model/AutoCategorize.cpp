#include "AutoCategorize.h"

#include "AAStore.h"
#include "Category.h"
#include "ShiftJis.h"

#include <algorithm>
#include <string>
#include <vector>

std::size_t CommonPrefixLength(std::string_view a, std::string_view b)
{
    const std::size_t nMax = std::min(a.size(), b.size());
    std::size_t n = 0;
    while (n < nMax && a[n] == b[n])
        ++n;
    return n;
}

namespace
{
// Length in bytes of the first nChars whole characters of text, or npos when
// text has fewer (a lone lead byte at the end is no whole character).
std::size_t PrefixBytes(std::string_view text, unsigned nChars)
{
    std::size_t nPos = 0;
    for (unsigned i = 0; i < nChars; ++i) {
        if (nPos >= text.size())
            return std::string_view::npos;
        const std::size_t nNext = nPos + CharLengthAt(text, nPos);
        if (nNext > text.size())
            return std::string_view::npos;
        nPos = nNext;
    }
    return nPos;
}

// The longest run of whole leading characters of text no longer than nBytes.
std::string_view CutToWholeChars(std::string_view text, std::size_t nBytes)
{
    std::size_t nPos = 0;
    while (nPos < text.size()) {
        const std::size_t nNext = nPos + CharLengthAt(text, nPos);
        if (nNext > nBytes)
            break;
        nPos = nNext;
    }
    return text.substr(0, nPos);
}
} // namespace

void AutoCategorizePlain(CCategory& root, const CAAStore& store, unsigned nThreshold, unsigned nMinItems)
{
    root.RemoveAllChildren();
    root.RemoveAllAAs();
    std::vector<int> pending(static_cast<std::size_t>(store.GetCount()));
    for (std::size_t i = 0; i < pending.size(); ++i)
        pending[i] = static_cast<int>(i);

    std::vector<std::size_t> matches;
    while (!pending.empty()) {
        const std::string_view seed = store.GetNameView(pending[0]);
        const std::size_t nPrefix = PrefixBytes(seed, nThreshold);
        matches.clear();
        std::size_t nCommon = seed.size();
        if (nPrefix != std::string_view::npos) {
            for (std::size_t j = 0; j < pending.size(); ++j) {
                const std::size_t nShared = CommonPrefixLength(seed, store.GetNameView(pending[j]));
                if (nShared >= nPrefix) {
                    matches.push_back(j);
                    nCommon = std::min(nCommon, nShared);
                }
            }
        }
        if (nPrefix != std::string_view::npos && matches.size() >= nMinItems) {
            CCategory* pCategory = root.AddChild(std::string(CutToWholeChars(seed, nCommon)));
            for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
                pCategory->AddAA(pending[*it]);
                pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(*it));
            }
        } else {
            root.AddAA(pending[0]);
            pending.erase(pending.begin());
        }
    }
}

void CCategoryModel::AutoCategorize(const CAAStore& store, unsigned nThreshold, unsigned nMinItems)
{
    AutoCategorizePlain(m_root, store, std::max(nThreshold, 1U), std::max(nMinItems, 1U));
}
