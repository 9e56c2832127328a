#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class Form2;
}

// The help window: a fixed text, a button back to the main window and one that ends
// the program.
class Form2 : public QWidget {
    Q_OBJECT

public:
    explicit Form2(QWidget* parent = nullptr);
    ~Form2() override;

    void Command1_Click();
    void Command2_Click();

private:
    std::unique_ptr<Ui::Form2> ui;
};
