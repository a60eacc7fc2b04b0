// After a failed apply: the box that names the files, and trying again.
#include "support/ApplyFixture.h"


#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Failure = ApplyFixture;

const wchar_t* const kClosingSentence = L"以上のファイルは変更できませんでした。";

std::vector<std::wstring> Lines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::wstring FromUtf8(const std::string& bytes)
{
    std::wstring text(bytes.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                                           static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace

// Regression: after a failure Apply was greyed out and OK closed the dialog, so the user
// could not try again once the other program let go of the file.
TEST_F(Failure, ApplyingAgainWritesTheFileThatWasHeld)
{
    std::wstring free = MakeStampedFile(L"free.txt");
    std::wstring held = MakeStampedFile(L"held.txt");
    HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    Choose({free, held});
    Click(IDC_SWITCH_WRITE);
    Type(IDC_WRITE_YEAR, L"2011");
    Click(IDC_APPLY);

    std::vector<ShownMessageBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.find(held), 0u) << shown[0].text.c_str();
    EXPECT_EQ(shown[0].text.find(free), std::wstring::npos);
    EXPECT_EQ(WriteSecondsOf(free) / 31556952 + 1970, 2011u);
    EXPECT_TRUE(Enabled(IDC_APPLY));
    EXPECT_EQ(Text(IDC_WRITE_YEAR), L"2011") << "the edits stay";

    Click(IDOK);
    EXPECT_NE(dialog.Handle(), nullptr) << "OK after a failure keeps the dialog open";
    EXPECT_EQ(boxes.Take().size(), 1u);

    CloseHandle(holder);
    Click(IDC_APPLY);
    EXPECT_TRUE(boxes.Take().empty());
    EXPECT_EQ(WriteSecondsOf(held) / 31556952 + 1970, 2011u);
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

// Regression: every failed file was a line of the box, and a failure of thousands of files
// made a box taller than the screen, whose OK could not be reached.
TEST_F(Failure, TheBoxListsThirtyFilesAndNamesTheFileThatListsThemAll)
{
    const int kMissing = 35;
    std::vector<std::wstring> paths;
    for (int i = 0; i < kMissing; ++i)
        paths.push_back(folder / (L"missing " + std::to_wstring(i) + L".txt"));
    dialog.HandOverFiles(paths);
    boxes.Take();
    SetRow(kWriteRow, {2011, 1, 2, 3, 4, 5});
    Click(IDC_APPLY);

    std::vector<ShownMessageBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, L"エラーのパス");
    const std::vector<std::wstring> lines = Lines(shown[0].text);
    ASSERT_EQ(lines.size(), 32u) << shown[0].text.c_str();
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(lines[i].find(paths[i]), 0u) << lines[i].c_str();
    const std::wstring more = L"…ほか5件（全35件の一覧：";
    ASSERT_EQ(lines[30].find(more), 0u) << lines[30].c_str();
    ASSERT_EQ(lines[30].back(), L'）');
    EXPECT_EQ(lines[31], kClosingSentence);

    const std::wstring listPath = lines[30].substr(more.size(), lines[30].size() - more.size() - 1);
    std::ifstream in(listPath.c_str(), std::ios::binary);
    ASSERT_TRUE(in) << listPath.c_str();
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    DeleteFileW(listPath.c_str());
    ASSERT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0) << "UTF-8 with a byte order mark";
    const std::vector<std::wstring> listed = Lines(FromUtf8(bytes.substr(3)));
    ASSERT_EQ(listed.size(), static_cast<size_t>(kMissing));
    for (int i = 0; i < kMissing; ++i)
        EXPECT_EQ(listed[i].find(paths[i]), 0u) << listed[i].c_str();
}
