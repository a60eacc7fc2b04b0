#include "framework/Exceptions.h"

#include <gtest/gtest.h>

TEST(UncaughtErrors, InvalidArgumentsAndPlatformCodesHaveTexts)
{
    EXPECT_EQ(InvalidArgumentError().GetErrorMessage(), L"引数が正しくありません。");
    // The platform's own wording differs between systems; it is present and not ours.
    std::wstring text = HResultError(E_INVALIDARG).GetErrorMessage();
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text, kInternalErrorText);
    EXPECT_NE(text.back(), L'\n');
}
