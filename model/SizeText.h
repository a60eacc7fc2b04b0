// The size of a file as the display shows it: kilobytes with one decimal and the byte count.
#pragma once

#include <windows.h>
#include <string>

// "%0.1fKB(%dバイト)" with the whole 64-bit count, e.g. "1.5KB(1536バイト)".
std::wstring SizeText(ULONGLONG size);

// What a folder shows in place of a size.
constexpr const wchar_t* kFolderSizeText = L"フォルダ";
