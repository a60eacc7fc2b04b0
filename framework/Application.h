// The one application object of the process, with its registry-backed profile.
#pragma once

#include <windows.h>
#include <string>

class DialogWindow;

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the program; returning false ends the process.
    virtual BOOL Run();

    // Profile values go to HKEY_CURRENT_USER\Software\<registryKey>\<application name>\<section>.
    void UseRegistryKey(const wchar_t* registryKey);
    UINT ReadSetting(const wchar_t* section, const wchar_t* entry, int defaultValue);
    BOOL WriteSetting(const wchar_t* section, const wchar_t* entry, int value);
    std::wstring ReadTextSetting(const wchar_t* section, const wchar_t* entry);
    BOOL WriteTextSetting(const wchar_t* section, const wchar_t* entry, const std::wstring& value);

    // The executable's file name without its extension.
    const std::wstring& GetAppName() const { return m_appName; }

    HINSTANCE m_instance = nullptr;
    DialogWindow* m_mainDialog = nullptr;

private:
    HKEY OpenSectionKey(const wchar_t* section);

    std::wstring m_appName;
    std::wstring m_registryKey;
};

Application* TheApplication();
const wchar_t* ApplicationName();
// The main window's handle, or null: the owner of the program's message boxes.
HWND MainWindowHandle();
