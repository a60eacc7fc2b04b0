// The one application object of the process, with its registry-backed profile.
#pragma once

#include <windows.h>
#include <string>

class CDialog;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Runs the program; returning false ends the process.
    virtual BOOL InitInstance();

    // Profile values go to HKEY_CURRENT_USER\Software\<registryKey>\<application name>\<section>.
    void SetRegistryKey(const wchar_t* registryKey);
    UINT GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue);
    BOOL WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value);

    // The executable's file name without its extension.
    const std::wstring& GetAppName() const { return m_appName; }

    HINSTANCE m_hInstance = nullptr;
    CDialog* m_pMainWnd = nullptr;

private:
    HKEY OpenSectionKey(const wchar_t* section);

    std::wstring m_appName;
    std::wstring m_registryKey;
};

CWinApp* AfxGetApp();
const wchar_t* AfxGetAppName();
// The main window's handle, or null: the owner of the program's message boxes.
HWND AfxGetMainWndHandle();
