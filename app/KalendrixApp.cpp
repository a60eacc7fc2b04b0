#include "KalendrixApp.h"

#include "../ui/KalendrixDlg.h"

#include <objbase.h>

CKalendrixApp theApp;

BOOL CKalendrixApp::InitInstance()
{
    SetRegistryKey(L"tavolin");
    // The shell's folder interface, which the file list's lookups use, needs COM on this thread.
    const bool comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));

    CKalendrixDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    if (comStarted)
        CoUninitialize();

    return FALSE;
}
