// The application object: runs the main dialog once, then ends the process.
#pragma once

#include "../framework/Application.h"

class CKalendrixApp : public Application {
public:
    CKalendrixApp() = default;
    ~CKalendrixApp() override = default;

    BOOL Run() override;
};

extern CKalendrixApp theApp;
