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

    QString Filter() const { return m_filter; }
    void setFilter(const QString& filter) { m_filter = filter; }
    // The full path chosen at the last showing; empty when it was cancelled.
    QString FileName() const { return m_fileName; }

    // Starts from the name chosen last.
    void ShowOpen();
    // Starts from `proposedName`, taken in the folder used last when it has no folder of
    // its own. A name is kept exactly as typed; an existing file is replaced only when
    // the user says so.
    void ShowSave(const QString& proposedName);

    // "Documenti (*.txt) |*.txt" becomes a Qt filter whose shown text is the description
    // exactly as given.
    static QString toQtFilter(const QString& windowsFilter);

private:
    QString show(Mode mode, const QString& startName);
    bool confirmReplace(const QString& path);

    QWidget* m_parent;
    QString m_filter;
    QString m_fileName;
    QString m_lastChosen;
};
