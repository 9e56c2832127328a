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
    // Replace is the question asked before an existing file is saved over.
    enum class Mode { Open, Save, Replace };
    // Answers a showing instead of a real dialog: the chosen path, or empty for a cancel.
    // For Replace, `startName` is the existing file and a non-empty answer means yes.
    using Script =
        std::function<QString(Mode mode, const QString& qtFilter, const QString& startName)>;

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

    static const QString kReplaceQuestion;
    static void setScript(Script script);

private:
    QString show(Mode mode, const QString& startName);
    bool confirmReplace(const QString& path);

    QWidget* m_parent;
    QString m_filter;
    QString m_fileName;
    QString m_lastChosen;
};
