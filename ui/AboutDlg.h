// The About box, opened from the system menu.
#pragma once

#include "../framework/DialogWindow.h"
#include "../res/resource.h"

class CAboutDlg : public DialogWindow {
public:
    enum { IDD = IDD_ABOUTBOX };

    explicit CAboutDlg(DialogWindow* parent = nullptr) : DialogWindow(IDD, parent) {}
};
