#include "KalendrixApp.h"

#include "../ui/KalendrixDlg.h"

CKalendrixApp theApp;

BOOL CKalendrixApp::InitInstance()
{
    SetRegistryKey(L"tavolin");

    CKalendrixDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;

    return FALSE;
}
