#pragma once

#include "win32/CommonDialog.h"
#include "win32/Shell.h"

#include <memory>
#include <string>
#include <string_view>

class RichTextBox;

// The main window: the document pane, the key pane, the logo, the button and the menu.
class Form1 : public Shell::Window {
public:
    Form1();
    ~Form1() override;

    RichTextBox* RichTextBox1() const { return m_pane1.get(); }
    RichTextBox* RichTextBox2() const { return m_pane2.get(); }

    // The command identifier of a menu entry of the design, by its name.
    static int commandId(std::string_view name);

    void Command1_Click();
    void pubkey_Click();
    void docdacriptare_Click();
    void docriptato_Click();
    void loadpubkey_Click();
    void docdacrypt_Click();
    void doccrypt_Click();
    void printcrdecr_Click();
    void printkey_Click();
    void exit_Click();
    void helponline2_Click();
    void about_Click();
    void specialt_Click();

protected:
    void build() override;
    void destroyed() override;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void loadInto(RichTextBox& pane, std::string_view filter, std::string_view message);
    void saveFrom(RichTextBox& pane, std::string_view filter, std::string_view proposal,
                  std::string_view message);
    void printPane(RichTextBox& pane);
    void command(int id);

    std::unique_ptr<RichTextBox> m_pane1;
    std::unique_ptr<RichTextBox> m_pane2;
    HWND m_command1 = nullptr;
    CommonDialog m_commonDialog1;
};
