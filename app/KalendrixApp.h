// The application object: runs the main dialog once, then ends the process.
#pragma once

#include "../framework/WinApp.h"

class CKalendrixApp : public CWinApp {
public:
    CKalendrixApp() = default;
    ~CKalendrixApp() override = default;

    BOOL InitInstance() override;
};

extern CKalendrixApp theApp;
