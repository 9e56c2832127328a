#include "CommonDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace {

CommonDialog::Script& script() {
    static CommonDialog::Script s;
    return s;
}

} // namespace

CommonDialog::CommonDialog(QWidget* parent)
    : QObject(parent)
    , m_parent(parent) {}

void CommonDialog::setScript(Script s) {
    script() = std::move(s);
}

QString CommonDialog::toQtFilter(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i] + QLatin1Char('(') + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

void CommonDialog::ShowOpen() {
    m_fileName = show(Mode::Open);
}

void CommonDialog::ShowSave() {
    QString name = show(Mode::Save);
    if (!name.isEmpty() && !m_defaultExt.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += QLatin1Char('.') + m_defaultExt;
    m_fileName = name;
}

QString CommonDialog::show(Mode mode) {
    const QString qtFilter = toQtFilter(m_filter);
    QString chosen;
    if (script()) {
        chosen = script()(mode, qtFilter, m_lastChosen);
    } else {
        QFileDialog dialog(m_parent);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        // Shows each filter's description exactly as given, without its pattern list.
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilter(qtFilter);
        if (mode == Mode::Save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setDefaultSuffix(m_defaultExt);
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
        }
        if (!m_lastChosen.isEmpty())
            dialog.selectFile(m_lastChosen);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (!chosen.isEmpty())
        m_lastChosen = chosen;
    return chosen;
}
