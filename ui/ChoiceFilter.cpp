#include "ChoiceFilter.h"

#include "../framework/Application.h"
#include "DialogControls.h"

namespace {

constexpr const wchar_t* kFilterKey = L"filter";

} // namespace

void ChoiceFilter::Restore()
{
    SendMessageW(Control(IDC_FILTER), EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"*.jpg;*.mov"));
    const std::wstring stored = TheApplication()->ReadTextSetting(kProfileSection, kFilterKey);
    m_filter = NameFilter(stored);
    // Its change notification finds the same text stored.
    SetText(IDC_FILTER, stored);
}

void ChoiceFilter::OnChanged()
{
    const std::wstring text = Text(IDC_FILTER);
    m_filter = NameFilter(text);
    TheApplication()->WriteTextSetting(kProfileSection, kFilterKey, text);
}
