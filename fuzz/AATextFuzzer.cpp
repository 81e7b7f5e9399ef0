// Loads arbitrary bytes as an AA text file, read in small blocks, in large
// ones and mapped, and reads the bodies of some of its AAs. All three
// loads must find the names and offsets that a plain line-by-line reading
// finds.
#include "AAStore.h"
#include "AATextReference.h"
#include "FuzzSupport.h"
#include "LineReader.h"
#include "RidaxoError.h"
#include "ShiftJis.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace
{
std::vector<CNameAt> LoadWith(const std::string& strPath, std::size_t nBuffer, std::uint64_t nMapThreshold)
{
    CLineReader reader(strPath, nBuffer, nMapThreshold);
    CAAStore store;
    store.Load(reader);
    return NamesOf(store);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view data(reinterpret_cast<const char*>(pData), nSize);
    const std::string strPath = WriteFuzzFile("aa.txt", data);
    CAAStore store;
    try {
        store.LoadFile(strPath);
    } catch (const CRidaxoError&) {
        FuzzCheck(DetectTextEncoding(data) != ETextEncoding::Cp932, "only text of another encoding is refused");
        return 0;
    }
    const std::vector<CNameAt> names = NamesOf(store);
    FuzzCheck(names == ReadNamesPlainly(data), "the block scan finds what a line-by-line reading finds");
    FuzzCheck(names == LoadWith(strPath, 16, CLineReader::kNeverMap), "small blocks find the same");
    FuzzCheck(names == LoadWith(strPath, 16, 0), "a mapped file gives the same");
    FuzzCheck(!store.HasFileChanged(), "the file is as loaded");

    const int nCount = store.GetCount();
    for (const int nIndex : {-1, 0, nCount / 2, nCount - 1, nCount}) {
        const std::string strText = store.GetText(nIndex);
        FuzzCheck(strText.empty() || strText.ends_with("\r\n"), "every body line ends with CR LF");
        FuzzCheck(!strText.starts_with("[END]\r\n") && strText.find("\r\n[END]\r\n") == std::string::npos,
                  "a body ends before its [END] line");
        FuzzCheck(strText.size() <= 2 * nSize + 2, "a body is no longer than the file with CR LF line ends");
    }
    return 0;
}
