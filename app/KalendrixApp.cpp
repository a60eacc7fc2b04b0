#include "KalendrixApp.h"

#include "../ui/KalendrixDlg.h"

#include <objbase.h>

CKalendrixApp theApp;

BOOL CKalendrixApp::Run()
{
    UseRegistryKey(L"tavolin");
    // The shell's folder interface, which the file list's lookups use, needs COM on this thread.
    const bool comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));

    CKalendrixDlg dialog;
    m_mainDialog = &dialog;
    dialog.RunModal();
    m_mainDialog = nullptr;
    if (comStarted)
        CoUninitialize();

    return FALSE;
}
