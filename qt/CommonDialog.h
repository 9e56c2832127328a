#pragma once

#include "qt/shell/Services.h"

#include <QObject>
#include <QString>

class QWidget;

// The main window's file chooser: a filter in the "description|pattern" form, open and
// save dialogs, and the chosen file name, which carries over from one use to the next.
class CommonDialog : public QObject {
    Q_OBJECT

public:
    using Mode = Services::FileMode;

    explicit CommonDialog(QWidget* parent);

    void setFilter(const QString& filter) { m_filter = filter; }
    // The full path chosen at the last showing; empty when it was cancelled.
    QString FileName() const { return m_fileName; }

    // Each starts from `startName`; a save's name without a folder is taken in the home
    // folder.
    void ShowOpen(const QString& startName);
    void ShowSave(const QString& startName);
    // Whether `path` may be saved over: no file is there, or the user says so.
    bool mayReplace(const QString& path);

    // "Documenti (*.txt) |*.txt" becomes a Qt filter whose shown text is the description
    // exactly as given.
    static QString toQtFilter(const QString& windowsFilter);

private:
    QString show(Mode mode, const QString& startName);

    QWidget* m_parent;
    QString m_filter;
    QString m_fileName;
};
