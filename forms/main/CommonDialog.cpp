#include "forms/main/CommonDialog.h"

#include "app/Shell.h"
#include "core/AppInfo.h"
#include "core/Texts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTreeView>

namespace {

// The chooser's sizes and dates written the Italian way, like every other text of the
// program; Qt writes them in the system's locale.
class ItalianDetails : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role == Qt::DisplayRole && files && index.isValid()) {
            const QModelIndex file = mapToSource(index);
            if (index.column() == kSize && !files->isDir(file))
                return QLocale().formattedDataSize(files->size(file));
            if (index.column() == kModified)
                return QLocale().toString(files->lastModified(file), QLocale::ShortFormat);
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    // QFileSystemModel's columns.
    static constexpr int kSize = 1;
    static constexpr int kModified = 3;
};

} // namespace

CommonDialog::CommonDialog(QWidget* parent)
    : QObject(parent)
    , m_parent(parent) {}

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
    m_fileName = show(Mode::Open, m_lastChosen);
}

void CommonDialog::ShowSave(const QString& proposedName) {
    QString start = proposedName;
    if (QFileInfo(start).isRelative()) {
        const QString folder =
            m_lastChosen.isEmpty() ? QDir::homePath() : QFileInfo(m_lastChosen).absolutePath();
        start = QDir(folder).filePath(start);
    }
    QString name;
    do {
        name = show(Mode::Save, start);
        start = name;
    } while (!name.isEmpty() && QFileInfo(name).isFile() && !confirmReplace(name));
    m_fileName = name;
}

bool CommonDialog::confirmReplace(const QString& path) {
    if (const Services::FileChooser& chooser = Shell::services().fileChooser)
        return !chooser(Mode::Replace, QString(), path).isEmpty();
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(AppInfo::Title),
                    Shell::text(Texts::kReplace).arg(QDir::toNativeSeparators(path)),
                    QMessageBox::NoButton, m_parent);
    QPushButton* yes = box.addButton(Shell::text(Texts::kYes), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Shell::text(Texts::kNo), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QString CommonDialog::show(Mode mode, const QString& startName) {
    const QString qtFilter = toQtFilter(m_filter);
    QString chosen;
    if (const Services::FileChooser& chooser = Shell::services().fileChooser) {
        chosen = chooser(mode, qtFilter, startName);
    } else {
        QFileDialog dialog(m_parent);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        // Shows each filter's description exactly as given, without its pattern list.
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilter(qtFilter);
        dialog.setProxyModel(new ItalianDetails(&dialog));
        // Room for the name, size, type and date columns in Italian.
        dialog.resize(760, 460);
        if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
            for (int column = 1; column < view->header()->count(); ++column)
                view->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        }
        if (mode == Mode::Save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            // Asked by ourselves, in the same words whoever asks.
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
        }
        if (!startName.isEmpty())
            dialog.selectFile(startName);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (!chosen.isEmpty())
        m_lastChosen = chosen;
    return chosen;
}
