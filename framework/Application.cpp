#include "Application.h"

#include "DialogWindow.h"

#include <cwchar>

namespace {

Application* g_app = nullptr;

std::wstring ExecutableBaseName()
{
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name.erase(0, slash + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos)
        name.erase(dot);
    return name;
}

} // namespace

Application::Application()
{
    g_app = this;
    m_instance = GetModuleHandleW(nullptr);
    m_appName = ExecutableBaseName();
}

Application::~Application()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL Application::Run()
{
    return FALSE;
}

void Application::UseRegistryKey(const wchar_t* registryKey)
{
    m_registryKey = registryKey;
}

// Opens (creating where missing) the section's key; the caller closes it.
HKEY Application::OpenSectionKey(const wchar_t* section)
{
    if (m_registryKey.empty())
        return nullptr;
    std::wstring path = L"Software\\" + m_registryKey + L"\\" + m_appName + L"\\" + section;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

UINT Application::ReadSetting(const wchar_t* section, const wchar_t* entry, int defaultValue)
{
    HKEY key = OpenSectionKey(section);
    if (key == nullptr)
        return static_cast<UINT>(defaultValue);
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    LONG status = RegQueryValueExW(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value))
        return static_cast<UINT>(defaultValue);
    return value;
}

BOOL Application::WriteSetting(const wchar_t* section, const wchar_t* entry, int value)
{
    HKEY key = OpenSectionKey(section);
    if (key == nullptr)
        return FALSE;
    DWORD data = static_cast<DWORD>(value);
    LONG status = RegSetValueExW(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::wstring Application::ReadTextSetting(const wchar_t* section, const wchar_t* entry)
{
    HKEY key = OpenSectionKey(section);
    if (key == nullptr)
        return std::wstring();
    std::wstring value;
    DWORD size = 0;
    if (RegGetValueW(key, nullptr, entry, RRF_RT_REG_SZ, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        value.resize(size / sizeof(wchar_t));
        if (RegGetValueW(key, nullptr, entry, RRF_RT_REG_SZ, nullptr, &value[0], &size) == ERROR_SUCCESS)
            value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
        else
            value.clear();
    }
    RegCloseKey(key);
    return value;
}

BOOL Application::WriteTextSetting(const wchar_t* section, const wchar_t* entry, const std::wstring& value)
{
    HKEY key = OpenSectionKey(section);
    if (key == nullptr)
        return FALSE;
    LONG status = RegSetValueExW(key, entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

Application* TheApplication()
{
    return g_app;
}

const wchar_t* ApplicationName()
{
    return g_app != nullptr ? g_app->GetAppName().c_str() : L"";
}

HWND MainWindowHandle()
{
    return (g_app != nullptr && g_app->m_mainDialog != nullptr) ? g_app->m_mainDialog->Handle() : nullptr;
}
