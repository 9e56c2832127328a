#pragma once

#include <QMainWindow>

#include <memory>

class CommonDialog;
class MainWindow;
class RichTextBox;

namespace Ui {
class Form1;
}

// The main window: the document pane, the key pane, the logo, the encrypt/decrypt
// button and the menu, whose commands the core's MainWindow runs through the adapters here.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    void Form_Load();

    RichTextBox* RichTextBox1() const;
    RichTextBox* RichTextBox2() const;
    CommonDialog* CommonDialog1() const { return m_commonDialog1; }

private:
    class Adapters;
    class PaneAdapter;

    void applySystemColours();

    std::unique_ptr<Ui::Form1> ui;
    CommonDialog* m_commonDialog1;
    std::unique_ptr<PaneAdapter> m_document;
    std::unique_ptr<PaneAdapter> m_key;
    std::unique_ptr<Adapters> m_adapters;
    std::unique_ptr<MainWindow> m_commands;
};
