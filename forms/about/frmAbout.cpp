#include "frmAbout.h"

#include "ui_frmAbout.h"

#include "AppInfo.h"
#include "Shell.h"
#include "Windows.h"

#include <stdexcept>

namespace {

SysInfoEnvironment& environment() {
    static SysInfoEnvironment env = SysInfoEnvironment::system();
    return env;
}

// What a "&h" literal of a 32-bit number reads as: its value in decimal digits. Text
// that is no such literal is kept as it is.
QString formatHexLiteral(const QString& literal) {
    const QString digits = literal.mid(2);
    if (digits.isEmpty() || digits.size() > 8)
        return literal;
    bool ok = false;
    const quint32 value = digits.toUInt(&ok, 16);
    if (!ok)
        return literal;
    return QString::number(static_cast<qint32>(value));
}

} // namespace

const QString frmAbout::kSysInfoUnavailable =
    QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili.");

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::frmAbout>()) {
    ui->setupUi(this);
    // A dialog frame: caption and close control, neither minimise nor maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(Windows::designFont());
    setModal(false);
    setFixedSize(382, 237);
    setGeometry(156, 129, 382, 237);

    auto fill = [](QWidget* w, const QColor& c) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, c);
        w->setPalette(p);
    };
    fill(ui->Line1_1, QColor(128, 128, 128));
    fill(ui->Line1_0, QColor(255, 255, 255));
    for (QLabel* label : {ui->lblDescription, ui->lblTitle}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(p);
    }
    ui->cmdOK->setFocus();

    Shell::connectHandler(ui->cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    Shell::connectHandler(ui->cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

frmAbout::~frmAbout() = default;

void frmAbout::setEnvironment(SysInfoEnvironment env) {
    environment() = std::move(env);
}

void frmAbout::Form_Load() {
    const QString title = QString::fromLatin1(AppInfo::Title);
    setWindowTitle(QStringLiteral("Informazioni su ") + title);
    ui->lblVersion->setText(QStringLiteral("Versione %1.%2.%3")
                                .arg(AppInfo::Major)
                                .arg(AppInfo::Minor)
                                .arg(AppInfo::Revision));
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

void frmAbout::StartSysInfo() {
    const Registry::HKEY root = Registry::HKEY_LOCAL_MACHINE;
    try {
        const SysInfoEnvironment& env = environment();
        m_registry = env.registry();
        QString SysInfoPath;
        bool found = GetKeyValue(root, QString::fromLatin1(Registry::kSysInfoKey),
                                 QString::fromLatin1(Registry::kSysInfoValue), SysInfoPath);
        if (!found) {
            if (!GetKeyValue(root, QString::fromLatin1(Registry::kSysInfoLocationKey),
                             QString::fromLatin1(Registry::kSysInfoLocationValue), SysInfoPath))
                throw std::runtime_error("no system information tool");
            if (env.dir(SysInfoPath + QStringLiteral("\\MSINFO32.EXE")).isEmpty())
                throw std::runtime_error("system information tool missing");
            SysInfoPath += QStringLiteral("\\MSINFO32.EXE");
        }
        // Exactly the file at that path, with no arguments and no shell.
        if (!env.start(SysInfoPath))
            throw std::runtime_error("system information tool did not start");
        return;
    } catch (...) {
    }
    Shell::MsgBox(kSysInfoUnavailable);
}

bool frmAbout::GetKeyValue(const Registry::HKEY& KeyRoot, const QString& KeyName,
                           const QString& SubKeyRef, QString& KeyVal) {
    using namespace Registry;
    if (!m_registry)
        m_registry = environment().registry();
    Backend& registry = *m_registry;
    HKEY hKey = 0;

    struct KeyCloser {
        Backend& registry;
        HKEY& key;
        ~KeyCloser() {
            if (key != 0)
                registry.RegCloseKey(key);
        }
    } closer{registry, hKey};

    // Read rights only: asking for write rights fails for ordinary users.
    if (registry.RegOpenKeyEx(KeyRoot, KeyName.toLocal8Bit().toStdString(), 0, KEY_READ, hKey) !=
        ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    std::string tmpVal(1024, '\0');
    DWORD KeyValSize = 1024;
    DWORD KeyValType = 0;
    if (registry.RegQueryValueEx(hKey, SubKeyRef.toLocal8Bit().toStdString(), 0, KeyValType, tmpVal,
                                 KeyValSize) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    if (KeyValSize == 0 || KeyValSize > tmpVal.size())
        throw std::out_of_range("registry value size outside its buffer");
    if (tmpVal[KeyValSize - 1] == '\0')
        tmpVal.resize(KeyValSize - 1);
    else
        tmpVal.resize(KeyValSize);

    switch (KeyValType) {
    case REG_SZ:
        KeyVal = QString::fromLocal8Bit(tmpVal.data(), qsizetype(tmpVal.size()));
        break;
    case REG_DWORD:
        for (auto i = tmpVal.size(); i > 0; --i)
            KeyVal += QStringLiteral("%1")
                          .arg(static_cast<unsigned char>(tmpVal[i - 1]), 2, 16, QLatin1Char('0'))
                          .toUpper();
        KeyVal = formatHexLiteral(QStringLiteral("&h") + KeyVal);
        break;
    default:
        break;
    }
    return true;
}
