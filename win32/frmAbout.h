#pragma once

#include "core/Registry.h"
#include "win32/Shell.h"

#include <string>

// The about box: title, version, description and icon, "OK" and "System Info...".
class frmAbout : public Shell::Window {
public:
    frmAbout();

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();
    bool GetKeyValue(const Registry::HKEY& KeyRoot, const std::string& KeyName,
                     const std::string& SubKeyRef, std::string& KeyVal);

protected:
    void build() override;
    void Form_Load() override;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
};
