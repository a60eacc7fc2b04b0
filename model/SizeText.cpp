#include "SizeText.h"

#include <cwchar>

std::wstring SizeText(ULONGLONG size)
{
    wchar_t text[64];
    // The count takes a 64-bit conversion: "%d" would show only its low 32 bits.
    swprintf(text, 64, L"%0.1fKB(%lluバイト)", static_cast<double>(size) * 0.0009765625, size);
    return text;
}
