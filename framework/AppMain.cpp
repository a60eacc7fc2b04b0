// Process entry: hands control to the application object, as the platform framework does.
#include "StartupPhases.h"
#include "WinApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    MarkStartupPhase(L"wWinMain");
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    app->m_hInstance = instance;
    app->InitInstance();
    return 0;
}
