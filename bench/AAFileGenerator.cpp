#include "AAFileGenerator.h"

#include "ShiftJis.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace
{
// splitmix64: tiny, fast and, unlike the standard distributions, gives the
// same numbers with every standard library.
class CRandom
{
public:
    explicit CRandom(std::uint64_t nSeed) : m_nState(nSeed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (m_nState += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A number from 0 to n − 1 (n is small, so the bias does not matter).
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
    std::size_t Between(std::size_t nLow, std::size_t nHigh) { return nLow + Below(nHigh - nLow + 1); }
    bool Percent(std::size_t nPercent) { return Below(100) < nPercent; }

private:
    std::uint64_t m_nState;
};

std::vector<std::string> ToCp932(std::initializer_list<const char*> utf8)
{
    std::vector<std::string> result;
    for (const char* psz : utf8)
        result.push_back(Utf8ToCp932Lenient(psz));
    return result;
}

// The characters of a UTF-8 text, each in code page 932.
std::vector<std::string> Cp932Chars(std::string_view utf8)
{
    std::vector<std::string> result;
    for (std::size_t nPos = 0; nPos < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[nPos]);
        const std::size_t nLength = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        result.push_back(Utf8ToCp932Lenient(utf8.substr(nPos, nLength)));
        nPos += nLength;
    }
    return result;
}

// Kana that names are made of; ゾ and ソ end in the bytes 0x5D ("]") and
// 0x5C, the trail bytes that trip byte-wise searches; ﾓﾅｰ are one byte each.
const std::vector<std::string>& Kana()
{
    static const std::vector<std::string> kana =
        Cp932Chars("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわん"
                   "アイウエオカギクケコサシスゾソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン"
                   "ーッャュョﾓﾅｰ");
    return kana;
}

const std::vector<std::string>& Moods()
{
    static const std::vector<std::string> moods =
        ToCp932({"（怒）", "（笑）", "（泣）", "（驚）", "（照れ）", "（寝）", "・すわり", "・はしる", "・ねむり",
                 "・ちょっと待て", "（大）", "（小）", "【改】", "［白］", "＜左＞", "＜右＞", "2ch", "_v2", "_old"});
    return moods;
}

// What pictures are drawn with; blanks come often, as in real ones.
const std::vector<std::string>& PictureParts()
{
    static const std::vector<std::string> parts =
        Cp932Chars("　　　  ＿／＼｜（）´｀∀・ーヽωﾉﾟД∩⊂⊃丶从人ゝ〃|/\\_().:'`;─━￣ミ彡ソゞ∧∨○●");
    return parts;
}

class CAAFileGenerator
{
public:
    explicit CAAFileGenerator(const CAAFileShape& shape) : m_shape(shape), m_random(shape.m_nSeed)
    {
        const std::size_t nFamilies = std::max<std::size_t>(16, static_cast<std::size_t>(shape.m_nCount / 40));
        m_families.reserve(nFamilies);
        for (std::size_t i = 0; i < nFamilies; ++i) {
            // Some families grow from another one's name ("モナー", "モナー兄").
            if (i > 0 && m_random.Percent(20))
                m_families.push_back(m_families[PickFamily(i)] + Kana()[m_random.Below(Kana().size())]);
            else
                m_families.push_back(MakeWord(m_random.Between(2, 4)));
        }
    }

    // Writes the whole file through fnWrite, in pieces.
    void Generate(const std::function<void(const std::string&)>& fnWrite)
    {
        // An MLT file has no room for a line before its first page.
        std::string out = m_shape.m_bMlt
                              ? std::string()
                              : Utf8ToCp932Lenient("ＡＡ集 (生成) - ここから下の [MojieName=…] 行が AA の始まり\r\n");
        for (std::uint64_t i = 0; i < m_shape.m_nCount; ++i) {
            AppendAA(out);
            if (out.size() >= kFlushSize) {
                fnWrite(out);
                out.clear();
            }
        }
        fnWrite(out);
    }

private:
    static constexpr std::size_t kFlushSize = std::size_t{1} << 20;

    // Low family numbers are far more popular than high ones.
    std::size_t PickFamily(std::size_t nFamilies)
    {
        const std::size_t a = m_random.Below(nFamilies);
        const std::size_t b = m_random.Below(nFamilies);
        return a * b / nFamilies;
    }

    std::string MakeWord(std::size_t nChars)
    {
        std::string word;
        for (std::size_t i = 0; i < nChars; ++i)
            word += Kana()[m_random.Below(Kana().size())];
        return word;
    }

    // A name that most likely no other AA has: kanji of the first level
    // (lead bytes 0x88-0x97) with a little ASCII.
    std::string MakeOwnName()
    {
        std::string name;
        const std::size_t nChars = m_random.Between(2, 8);
        for (std::size_t i = 0; i < nChars; ++i) {
            if (m_random.Percent(15)) {
                name += static_cast<char>('a' + m_random.Below(26));
                continue;
            }
            name += static_cast<char>(0x88 + m_random.Below(0x10));
            const std::size_t nTrail = m_random.Below(188);
            name += static_cast<char>(nTrail < 63 ? 0x40 + nTrail : 0x80 + nTrail - 63);
        }
        return name;
    }

    std::string MakeVariant(const std::string& base)
    {
        switch (m_random.Below(6)) {
        case 0:
            return base + std::to_string(m_random.Between(1, 120));
        case 1:
            return base + Utf8ToCp932Lenient("その") + std::to_string(m_random.Between(1, 30));
        case 2:
        case 3:
            return base + Moods()[m_random.Below(Moods().size())];
        case 4:
            return base + "_" + MakeWord(m_random.Between(1, 3));
        default:
            return base;
        }
    }

    // The name line, "[MojieName=" included, without its line end.
    std::string MakeNameLine()
    {
        static const std::string kKey = "[MojieName=";
        if (m_nRunLeft > 0) {
            --m_nRunLeft;
            return kKey + MakeVariant(m_families[m_nRunFamily]) + "]";
        }
        // Of all names, about three in four belong to a family (most of them
        // in runs of the same family), one in four is a name of its own, and
        // two in a hundred are special.
        const std::size_t nRoll = m_random.Below(100);
        if (nRoll < 16) {
            m_nRunFamily = PickFamily(m_families.size());
            m_nRunLeft = m_random.Between(0, 15);
            m_bRunStarts = true;
            return kKey + MakeVariant(m_families[m_nRunFamily]) + "]";
        }
        if (nRoll < 40) // a family member on its own
            return kKey + MakeVariant(m_families[PickFamily(m_families.size())]) + "]";
        if (nRoll < 96)
            return kKey + MakeOwnName() + "]";
        switch (m_random.Below(5)) {
        case 0:
            return kKey + "]"; // an empty name
        case 1:
            return kKey + MakeWord(1) + "]"; // one character: always in the top folder
        case 2:
            return kKey + MakeWord(2) + "]" + MakeWord(1) + "]"; // a "]" inside the name
        case 3:
            return kKey + MakeWord(3); // no "]": an empty name
        default:
            return kKey + MakeWord(2) + "]" + "  // " + MakeWord(2); // words after the name
        }
    }

    void AppendPictureLine(std::string& out)
    {
        const std::size_t nBytes = m_random.Between(2, 24);
        const std::size_t nStart = out.size();
        while (out.size() - nStart < nBytes)
            out += PictureParts()[m_random.Below(PictureParts().size())];
        out += "\r\n";
    }

    void AppendAA(std::string& out)
    {
        // Both forms draw the same numbers, so that they hold the same AAs.
        m_bRunStarts = false;
        const std::string strNameLine = MakeNameLine();
        if (m_shape.m_bMlt) {
            // A run of a family is a section under a heading page of its own.
            if (m_bRunStarts) {
                if (m_bPageWritten)
                    out += "[SPLIT]\r\n";
                out += "\x81\x79" + m_families[m_nRunFamily] + "\x81\x7A\r\n";
                m_bPageWritten = true;
            }
            if (m_bPageWritten)
                out += "[SPLIT]\r\n";
            m_bPageWritten = true;
        } else {
            out += strNameLine;
            out += "\r\n";
        }
        const std::size_t nLines = m_random.Between(3, 12);
        for (std::size_t i = 0; i < nLines; ++i)
            AppendPictureLine(out);
        if (!m_shape.m_bMlt)
            out += "[END]\r\n";
        if (m_random.Below(1000) == 0)
            out += Utf8ToCp932Lenient("-- ここまで ") + std::to_string(m_random.Below(100)) + "\r\n";
    }

    CAAFileShape m_shape;
    CRandom m_random;
    std::vector<std::string> m_families;
    std::size_t m_nRunFamily = 0;
    std::size_t m_nRunLeft = 0;
    bool m_bRunStarts = false;   // the last name began a run of a family
    bool m_bPageWritten = false; // in MLT form, a page was written before
};

struct CFileCloser
{
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};
} // namespace

void WriteAAFile(const std::string& strPath, const CAAFileShape& shape)
{
    std::unique_ptr<std::FILE, CFileCloser> file(std::fopen(strPath.c_str(), "wb"));
    if (!file)
        throw std::runtime_error("cannot create " + strPath);
    CAAFileGenerator generator(shape);
    generator.Generate([&](const std::string& data) {
        if (std::fwrite(data.data(), 1, data.size(), file.get()) != data.size())
            throw std::runtime_error("cannot write " + strPath);
    });
    if (std::fclose(file.release()) != 0)
        throw std::runtime_error("cannot write " + strPath);
}
