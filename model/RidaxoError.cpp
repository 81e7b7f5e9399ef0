#include "RidaxoError.h"

#include <cerrno>
#include <cstring>
#include <string_view>

namespace
{
struct CWording
{
    const char* m_pszEnglish;
    const char* m_pszJapanese;
};

// The words of every cause; "{}" stands for the words of the error number,
// or for the detail. A switch without default: the compiler names a cause
// that lacks its words.
CWording WordCause(EErrorCause nCause)
{
    switch (nCause) {
    case EErrorCause::OpenFailed:
        return {"cannot open: {}", "開けません。{}"};
    case EErrorCause::OpenFolder:
        return {"cannot open: it is a folder, not a file", "ファイルではなくフォルダなので開けません。"};
    case EErrorCause::OpenNotRegularFile:
        return {"cannot open: it is not a regular file", "通常のファイルではないので開けません。"};
    case EErrorCause::ReadFailed:
        return {"cannot read: {}", "読み込めません。{}"};
    case EErrorCause::ReadCutShort:
        return {"cannot read: another program cut the file short while it was read",
                "読み込みの途中で別のプログラムがファイルを短くしたため、読み込めません。"};
    case EErrorCause::SeekFailed:
        return {"cannot seek: {}", "ファイル内の位置に移動できません。{}"};
    case EErrorCause::WrongEncoding:
        return {"cannot open: the file is {} text, not Shift-JIS (code page 932); save it as Shift-JIS and open it "
                "again",
                "このファイルは Shift-JIS (コードページ 932) ではなく {} のテキストなので開けません。Shift-JIS "
                "で保存し直してから開いてください。"};
    case EErrorCause::TooManyAAs:
        return {"cannot load: the file holds more AAs than Ridaxo can count",
                "AA の数が Ridaxo で扱える数を超えているため、読み込めません。"};
    case EErrorCause::HoldsNoAA:
        return {"cannot open: the file holds no AA (no line begins with \"[MojieName=\")",
                "AA がひとつもないため、開けません (「[MojieName=」で始まる行がありません)。"};
    case EErrorCause::IndexNamesNoTextFile:
        return {"cannot open: the index file names no AA text file",
                "インデクスファイルに AA テキストファイルの名前がないため、開けません。"};
    case EErrorCause::NamedTextFileMissing:
        return {"cannot open: no such file, and no {} beside the index file either",
                "ファイルが見つかりません。インデクスファイルと同じフォルダの {} も探しましたが、ありませんでした。"};
    case EErrorCause::IndexCountsBeyondFile:
        return {"the index file is damaged: its counts ask for far more lines than it holds",
                "インデクスファイルが壊れています。書かれている個数に対して行がまったく足りません。"};
    case EErrorCause::IndexNumberOutOfRange:
        return {"the index file is damaged: the AA number on line {} is beyond the range Ridaxo can hold",
                "インデクスファイルが壊れています。{} 行目の AA 番号が Ridaxo で扱える範囲を超えています。"};
    case EErrorCause::SaveFolder:
        return {"cannot save: it is a folder", "フォルダなので保存できません。"};
    case EErrorCause::SaveFailed:
        return {"cannot save: {}", "保存できません。{}"};
    case EErrorCause::WriteFailed:
        return {"cannot write: {}", "書き込めません。{}"};
    case EErrorCause::OutOfMemory:
        return {"not enough memory", "メモリが足りません。"};
    case EErrorCause::SearchTextNotCp932:
        return {"cannot search: the search text holds a character that Shift-JIS (code page 932) cannot write",
                "検索する文字列に Shift-JIS (コードページ 932) で書けない文字があるため、検索できません。"};
    }
    return {"failed", "失敗しました。"};
}

// Japanese words for the error numbers a person can meet opening, reading
// and saving files. The English words are the system's (strerror, English
// in the command-line tool, which keeps the C locale): the words a person
// knows from other tools and can look up.
struct CErrnoWording
{
    int m_nErrno;
    const char* m_pszJapanese;
};

constexpr CErrnoWording kErrnoWordings[] = {
    {ENOENT, "ファイルまたはフォルダがありません。"},
    {EACCES, "アクセスする権限がありません。"},
    {EPERM, "この操作は許可されていません。"},
    {ENOSPC, "ディスクに空きがありません。"},
#ifdef EDQUOT
    {EDQUOT, "ディスクの使用量が割り当てを超えています。"},
#endif
    {EROFS, "読み取り専用のファイルシステムです。"},
    {EISDIR, "フォルダです。"},
    {ENOTDIR, "パスの途中にフォルダでないものがあります。"},
    {ENAMETOOLONG, "ファイル名が長すぎます。"},
    {ELOOP, "シンボリックリンクが多すぎるか、循環しています。"},
    {EIO, "ディスクの読み書きでエラーが起きました。"},
    {EMFILE, "開いているファイルが多すぎます。"},
    {ENFILE, "システム全体で開いているファイルが多すぎます。"},
    {ENOMEM, "メモリが足りません。"},
    {EEXIST, "同じ名前のファイルがすでにあります。"},
    {EBUSY, "ファイルまたは装置が使用中です。"},
    {ETXTBSY, "実行中のプログラムが使っているファイルです。"},
    {EFBIG, "ファイルが大きすぎます。"},
#ifdef ESTALE
    {ESTALE, "ネットワーク上のファイルへの参照が古くなっています。"},
#endif
};

std::string FillIn(std::string_view pattern, std::string_view what)
{
    std::string strText(pattern);
    const std::size_t nPos = strText.find("{}");
    if (nPos != std::string::npos)
        strText.replace(nPos, 2, what);
    return strText;
}

std::string WordFailure(EErrorCause nCause, int nErrno, const std::string& strDetail, ELanguage nLanguage)
{
    const CWording wording = WordCause(nCause);
    const char* pszPattern = nLanguage == ELanguage::Japanese ? wording.m_pszJapanese : wording.m_pszEnglish;
    return FillIn(pszPattern, nErrno != 0 ? DescribeErrno(nErrno, nLanguage) : strDetail);
}
} // namespace

CRidaxoError::CRidaxoError(const std::string& strFile, EErrorCause nCause, int nErrno, const std::string& strDetail)
    : std::runtime_error((strFile.empty() ? std::string() : strFile + ": ") +
                         WordFailure(nCause, nErrno, strDetail, ELanguage::English)),
      m_strFile(strFile), m_nCause(nCause), m_nErrno(nErrno), m_strDetail(strDetail)
{}

std::string CRidaxoError::GetCause(ELanguage nLanguage) const
{
    return WordFailure(m_nCause, m_nErrno, m_strDetail, nLanguage);
}

std::string DescribeErrno(int nErrno, ELanguage nLanguage)
{
    if (nLanguage == ELanguage::English)
        return std::strerror(nErrno);
    for (const CErrnoWording& wording : kErrnoWordings)
        if (wording.m_nErrno == nErrno)
            return wording.m_pszJapanese;
    return "システムのエラーが起きました (エラー番号 " + std::to_string(nErrno) + ")。";
}
