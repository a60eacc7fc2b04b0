// The About box, opened from the system menu.
#pragma once

#include "../framework/Dialog.h"
#include "../res/resource.h"

class CAboutDlg : public CDialog {
public:
    enum { IDD = IDD_ABOUTBOX };

    explicit CAboutDlg(CDialog* parent = nullptr) : CDialog(IDD, parent) {}
};
