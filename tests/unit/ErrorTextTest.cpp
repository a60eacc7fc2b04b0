#include "framework/FileException.h"

#include <gtest/gtest.h>

TEST(FileErrors, SystemCodesMapToTheFrameworksKinds)
{
    const struct {
        LONG osError;
        CFileException::Cause cause;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
        {ERROR_PATH_NOT_FOUND, CFileException::badPath},
        {ERROR_ACCESS_DENIED, CFileException::accessDenied},
        {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
        {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
        {ERROR_DISK_FULL, CFileException::diskFull},
        {ERROR_HANDLE_EOF, CFileException::endOfFile},
        {ERROR_INVALID_PARAMETER, CFileException::genericException},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CFileException::OsErrorToCause(c.osError), c.cause) << c.osError;
}

TEST(FileErrors, TextNamesTheFileOrTheUntitledFile)
{
    EXPECT_EQ(CFileException(CFileException::accessDenied, 5, L"C:\\a.txt").GetErrorMessage(),
              L"C:\\a.txt へのアクセスは拒否されました。");
    EXPECT_EQ(CFileException(CFileException::sharingViolation).GetErrorMessage(),
              L"無題のファイル へのアクセス中に共有違反が発生しました。");
    EXPECT_EQ(CFileException(CFileException::tooManyOpenFiles).GetErrorMessage(),
              L"開いているファイルが多すぎるため、無題のファイル を開けませんでした。");
    EXPECT_EQ(CFileException(CFileException::none).GetErrorMessage(), L"エラーはありませんでした。");
}

TEST(UncaughtErrors, InvalidArgumentsAndPlatformCodesHaveTexts)
{
    EXPECT_EQ(CInvalidArgException().GetErrorMessage(), L"引数が正しくありません。");
    // The platform's own wording differs between systems; it is present and not ours.
    std::wstring text = CHResultException(E_INVALIDARG).GetErrorMessage();
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text, kInternalErrorText);
    EXPECT_NE(text.back(), L'\n');
}
