// Process entry: hands control to the application object.
#include "StartupPhases.h"
#include "Application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    MarkStartupPhase(L"wWinMain");
    Application* app = TheApplication();
    if (app == nullptr)
        return 1;
    app->m_instance = instance;
    app->Run();
    return 0;
}
