#pragma once

#include <QPushButton>

// A push button whose caption wraps at word boundaries within the button, as the
// original platform's buttons do; what still does not fit is cut off at the edge.
class CommandButton : public QPushButton {
    Q_OBJECT

public:
    explicit CommandButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
