#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// The main window's file chooser: a filter in the "description|pattern" form, open and
// save dialogs, and the chosen file name, which carries over from one use to the next.
class CommonDialog : public QObject {
    Q_OBJECT

public:
    enum class Mode { Open, Save };
    // Answers a showing instead of a real dialog: the chosen path, or empty for a cancel.
    using Script =
        std::function<QString(Mode mode, const QString& qtFilter, const QString& startName)>;

    explicit CommonDialog(QWidget* parent);

    QString Filter() const { return m_filter; }
    void setFilter(const QString& filter) { m_filter = filter; }
    // Appended with a dot to a name chosen for saving that has no extension.
    QString DefaultExt() const { return m_defaultExt; }
    void setDefaultExt(const QString& ext) { m_defaultExt = ext; }
    // The full path chosen at the last showing; empty when it was cancelled.
    QString FileName() const { return m_fileName; }

    void ShowOpen();
    // Asks before overwriting an existing file.
    void ShowSave();

    // "Documenti (*.txt) |*.txt" becomes a Qt filter whose shown text is the description
    // exactly as given.
    static QString toQtFilter(const QString& windowsFilter);

    static void setScript(Script script);

private:
    QString show(Mode mode);

    QWidget* m_parent;
    QString m_filter;
    QString m_defaultExt;
    QString m_fileName;
    QString m_lastChosen;
};
