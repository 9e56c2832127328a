#pragma once

#include "win32/CommonDialog.h"
#include "win32/Shell.h"

#include <memory>
#include <string>
#include <string_view>

class MainWindow;
class RichTextBox;

// The main window: the document pane, the key pane, the logo, the button and the menu,
// whose commands the core's MainWindow runs through the adapters here.
class Form1 : public Shell::Window {
public:
    Form1();
    ~Form1() override;

    RichTextBox* RichTextBox1() const { return m_pane1.get(); }
    RichTextBox* RichTextBox2() const { return m_pane2.get(); }

    // The command identifier of a menu entry of the design, by its name.
    static int commandId(std::string_view name);

    // The button's command, which a click runs.
    void Command1_Click();

protected:
    void build() override;
    void destroyed() override;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    class Adapters;
    class PaneAdapter;

    void command(int id);

    std::unique_ptr<RichTextBox> m_pane1;
    std::unique_ptr<RichTextBox> m_pane2;
    HWND m_command1 = nullptr;
    CommonDialog m_commonDialog1;
    std::unique_ptr<PaneAdapter> m_document;
    std::unique_ptr<PaneAdapter> m_key;
    std::unique_ptr<Adapters> m_adapters;
    std::unique_ptr<MainWindow> m_commands;
};
