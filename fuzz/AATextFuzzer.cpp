// Loads arbitrary bytes as an AA text file, read in small blocks, in large
// ones and mapped, and reads the bodies of some of its AAs. All three
// loads must find the names and offsets, and the bodies must read, as a
// plain line-by-line reading finds them.
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
        const bool bValid = nIndex >= 0 && nIndex < nCount;
        FuzzCheck(store.GetText(nIndex) == (bValid ? ReadBodyPlainly(data, names[nIndex].m_nOffset) : ""),
                  "a body reads as a line-by-line reading reads it");
    }
    return 0;
}
