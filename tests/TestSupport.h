#pragma once

#include <QStringList>

#include <gtest/gtest.h>

class Form1;
class QWidget;

// Runs posted deletions and events, so that closed windows are really gone.
void settle();

// The top-level windows on screen.
QList<QWidget*> visibleWindows();

// The widgets that Tab visits, in order, starting at `first`.
QList<QWidget*> tabOrder(QWidget* first);

// Whether this process holds the file at `path` open, as the file slot does.
bool heldOpen(const QString& path);

// What pdftotext and pdfinfo read from a printed PDF.
QString pdfText(const QString& pdf);
int pdfPages(const QString& pdf);

// Fixture for tests that drive the real windows: messages are collected instead of
// shown, the end of the program is counted instead of done. A test puts its other
// stand-ins into Shell::services(); every window, the file slot and the system's own
// services come back afterwards.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the main window as start-up does.
    Form1* startMain();
    QWidget* child(QWidget* window, const char* name) const;

    QStringList messages;
    int exits = 0;
};
