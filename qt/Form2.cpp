#include "qt/Form2.h"

#include "ui_Form2.h"

#include "qt/Form1.h"
#include "qt/Windows.h"
#include "qt/shell/Shell.h"

Form2::Form2(QWidget* parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::Form2>()) {
    ui->setupUi(this);
    Windows::applyDesign(this, this, Design::kForm2);
    // No frame at its designed place; it belongs to the main window (see Windows).
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setFont(Windows::designFont());

    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    QPalette text = ui->Label1->palette();
    text.setColor(QPalette::WindowText, QColor(255, 255, 0));
    text.setColor(QPalette::Window, Qt::black);
    ui->Label1->setPalette(text);

    QFont buttonFont = Windows::designFont();
    buttonFont.setWeight(QFont::Bold);
    ui->Command1->setFont(buttonFont);
    ui->Command2->setFont(buttonFont);

    const QRect client = Windows::pixels(Design::kForm2.client);
    setFixedSize(client.size());
    move(client.topLeft());
    ui->Command1->setFocus();

    Shell::connectHandler(ui->Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    Shell::connectHandler(ui->Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
}

Form2::~Form2() = default;

void Form2::Command1_Click() {
    Windows::form2().hide();
    Windows::form1().show();
}

void Form2::Command2_Click() {
    Shell::endProgram();
}
