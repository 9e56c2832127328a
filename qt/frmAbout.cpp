#include "qt/frmAbout.h"

#include "ui_frmAbout.h"

#include "core/AppInfo.h"
#include "core/SysInfo.h"
#include "qt/Windows.h"
#include "qt/shell/Shell.h"
#include "qt/sysinfo/SysInfoEnvironment.h"

namespace {

SysInfoEnvironment environment() {
    const std::shared_ptr<const SysInfoEnvironment>& installed = Shell::services().sysInfo;
    return installed ? *installed : SysInfoEnvironment::system();
}

} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::frmAbout>()) {
    ui->setupUi(this);
    Windows::applyDesign(this, this, Design::kAbout);
    // A dialog frame: caption and close control, neither minimise nor maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(Windows::designFont());
    setModal(false);
    const QRect client = Windows::pixels(Design::kAbout.client);
    setFixedSize(client.size());
    setGeometry(client);
    for (QLabel* label : {ui->lblDescription, ui->lblTitle}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(p);
    }
    ui->cmdOK->setFocus();
    ui->picIcon->setAccessibleName(Shell::text(Texts::kIconName));

    Shell::connectHandler(ui->cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    Shell::connectHandler(ui->cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load() {
    const QString title = QString::fromLatin1(AppInfo::Title);
    setWindowTitle(Shell::text(Texts::kAboutCaption) + title);
    ui->lblVersion->setText(
        Shell::text(Texts::kVersion) +
        QStringLiteral("%1.%2.%3").arg(AppInfo::Major).arg(AppInfo::Minor).arg(AppInfo::Revision));
    ui->lblTitle->setText(title);
}

void frmAbout::cmdOK_Click() {
    Windows::about().close();
}

// Escape: cmdOK is the cancel button too.
void frmAbout::reject() {
    Shell::guard([this] { cmdOK_Click(); });
}

// A close request only closes; QDialog would turn it into reject(), that is into OK.
void frmAbout::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

// The registry is read afresh each time, so that a tool installed meanwhile is found.
void frmAbout::StartSysInfo() {
    const SysInfoEnvironment env = environment();
    if (!SysInfo::start(*env.registry(), *env.files, *env.programs))
        Shell::MsgBox(Shell::text(SysInfo::kUnavailable));
}

bool frmAbout::GetKeyValue(const Registry::HKEY& KeyRoot, const std::string& KeyName,
                           const std::string& SubKeyRef, std::string& KeyVal) {
    return SysInfo::getKeyValue(*environment().registry(), KeyRoot, KeyName, SubKeyRef, KeyVal);
}
