#include "qt/CommonDialog.h"

#include "core/AppInfo.h"
#include "core/Texts.h"
#include "qt/shell/Shell.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QStringList>
#include <QTreeView>

#include <dirent.h>

namespace {

// Icons and types told by a file's name alone. Qt's own guess a type from the content of
// every file the dialog lists, special files too: reading /proc/kmsg waits for ever.
class NameOnlyIcons : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override {
        if (info.isDir())
            return icon(Folder);
        const QIcon themed = QIcon::fromTheme(typeOf(info).iconName());
        return themed.isNull() ? icon(File) : themed;
    }
    QString type(const QFileInfo& info) const override {
        if (info.isDir())
            return QFileIconProvider::type(info);
        const QMimeType mime = typeOf(info);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }

private:
    QMimeType typeOf(const QFileInfo& info) const {
        return m_types.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    }
    QMimeDatabase m_types;
};

// How many names in `folder` are not UTF-8, which Qt's dialogs do not list.
int undecodableNames(const QString& folder) {
    int count = 0;
    if (DIR* dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            count += QString::fromUtf8(name).toUtf8() != name;
        }
        ::closedir(dir);
    }
    return count;
}

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

void CommonDialog::ShowOpen(const QString& startName) {
    m_fileName = show(Mode::Open, startName);
}

void CommonDialog::ShowSave(const QString& startName) {
    m_fileName = show(Mode::Save, QDir::home().filePath(startName));
}

bool CommonDialog::mayReplace(const QString& path) {
    if (!QFileInfo(path).isFile())
        return true;
    if (const Services::FileChooser& chooser = Shell::services().fileChooser)
        return !chooser(Mode::Replace, QString(), path).isEmpty();
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(AppInfo::Title),
                    Shell::text(Texts::kReplace).arg(QDir::toNativeSeparators(path)),
                    QMessageBox::NoButton, m_parent);
    box.setTextFormat(Qt::PlainText);
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
        static NameOnlyIcons icons;
        dialog.setIconProvider(&icons);
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
        // Files that the dialog cannot list are said to be there.
        auto* notice = new QLabel(&dialog);
        notice->setObjectName(QStringLiteral("undecodableNames"));
        notice->setTextFormat(Qt::PlainText);
        notice->setWordWrap(true);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(notice, grid->rowCount(), 0, 1, grid->columnCount());
        const auto look = [notice](const QString& folder) {
            const int count = undecodableNames(folder);
            notice->setText(Shell::text(Texts::kUndecodableNames).arg(count));
            notice->setVisible(count > 0);
        };
        QObject::connect(&dialog, &QFileDialog::directoryEntered, notice, look);
        look(dialog.directory().absolutePath());
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    return chosen;
}
