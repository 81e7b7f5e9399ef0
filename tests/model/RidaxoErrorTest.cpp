#include "RidaxoError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <string_view>

namespace
{
// text without the names that stay as they are in either language.
std::string WithoutNames(std::string text)
{
    for (const std::string_view name : {"Shift-JIS", "UTF", "Ridaxo", "MojieName", "AA"})
        for (std::size_t nPos; (nPos = text.find(name)) != std::string::npos;)
            text.erase(nPos, name.size());
    return text;
}

bool HasLatinLetter(std::string_view text)
{
    return text.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") != std::string_view::npos;
}
} // namespace

TEST(RidaxoErrorTest, EveryCauseIsWordedInEnglishAndInJapanese)
{
    const CRidaxoError errors[] = {
        {"f", EErrorCause::OpenFailed, ENOENT},
        {"f", EErrorCause::OpenFolder},
        {"f", EErrorCause::OpenNotRegularFile},
        {"f", EErrorCause::ReadFailed, EIO},
        {"f", EErrorCause::ReadCutShort},
        {"f", EErrorCause::SeekFailed, EINVAL},
        {"f", EErrorCause::WrongEncoding, std::string("UTF-16")},
        {"f", EErrorCause::TooManyAAs},
        {"f", EErrorCause::HoldsNoAA},
        {"f", EErrorCause::IndexNamesNoTextFile},
        {"f", EErrorCause::NamedTextFileMissing, std::string("/1/2")},
        {"f", EErrorCause::IndexCountsBeyondFile},
        {"f", EErrorCause::IndexNumberOutOfRange, std::string("12")},
        {"f", EErrorCause::SaveFolder},
        {"f", EErrorCause::SaveFailed, ENOSPC},
        {"f", EErrorCause::WriteFailed, 0},
        {"f", EErrorCause::OutOfMemory},
        {"f", EErrorCause::SearchTextNotCp932},
    };
    for (const CRidaxoError& error : errors) {
        const std::string strEnglish = error.GetCause();
        const std::string strJapanese = error.GetCause(ELanguage::Japanese);
        EXPECT_EQ(error.what(), "f: " + strEnglish);
        EXPECT_TRUE(HasLatinLetter(strEnglish)) << strEnglish;
        EXPECT_FALSE(HasLatinLetter(WithoutNames(strJapanese))) << strJapanese;
        EXPECT_EQ(strEnglish.find("{}"), std::string::npos) << strEnglish;
        EXPECT_EQ(strJapanese.find("{}"), std::string::npos) << strJapanese;
        if (error.GetErrno() != 0) {
            EXPECT_NE(strJapanese.find(DescribeErrno(error.GetErrno(), ELanguage::Japanese)), std::string::npos);
        }
    }
    EXPECT_NE(errors[6].GetCause(ELanguage::Japanese).find("UTF-16"), std::string::npos);

    // The error numbers a person meets with files have words of their own;
    // any other is named by its number.
    const std::string strOther = DescribeErrno(9999, ELanguage::Japanese);
    EXPECT_NE(strOther.find("9999"), std::string::npos);
    for (const int nErrno : {ENOENT, EACCES, EPERM, ENOSPC, EDQUOT, EROFS, EISDIR, ENOTDIR, ENAMETOOLONG, ELOOP, EIO,
                             EMFILE, ENFILE, ENOMEM, EEXIST, EBUSY, ETXTBSY, EFBIG}) {
        const std::string strWords = DescribeErrno(nErrno, ELanguage::Japanese);
        EXPECT_EQ(strWords.find(std::to_string(nErrno)), std::string::npos) << strWords;
        EXPECT_FALSE(HasLatinLetter(strWords)) << strWords;
    }
}
