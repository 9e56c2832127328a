#pragma once

#include <QMainWindow>

#include <memory>

class CommonDialog;
class RichTextBox;

namespace Ui {
class Form1;
}

// The main window: the document pane, the key pane, the logo, the encrypt/decrypt
// button and the menu with its commands.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    void Form_Load();

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

    RichTextBox* RichTextBox1() const;
    RichTextBox* RichTextBox2() const;
    CommonDialog* CommonDialog1() const { return m_commonDialog1; }

private:
    void applySystemColours();
    void loadInto(RichTextBox* pane, const QString& filter, const QString& message);
    // `saved` is where this save command saved last, which it proposes next time.
    void saveFrom(RichTextBox* pane, const QString& filter, const QString& proposal,
                  const QString& message, QString& saved);
    void printPane(RichTextBox* pane);

    std::unique_ptr<Ui::Form1> ui;
    CommonDialog* m_commonDialog1;
    QString m_savedKey;
    QString m_savedPlain;
    QString m_savedCrypted;
};
