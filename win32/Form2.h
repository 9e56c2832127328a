#pragma once

#include "win32/Shell.h"

// The help window: the help text, a button back to the main window and one that ends the
// program.
class Form2 : public Shell::Window {
public:
    Form2();

    void Command1_Click();
    void Command2_Click();

protected:
    void build() override;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
};
