#pragma once

#include "Registry.h"
#include "SysInfoEnvironment.h"

#include <QDialog>

#include <memory>

namespace Ui {
class frmAbout;
}

// The about box: title, version, description and the system information launcher.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    static const QString kSysInfoUnavailable;

    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    void StartSysInfo();
    bool GetKeyValue(const Registry::HKEY& KeyRoot, const QString& KeyName,
                     const QString& SubKeyRef, QString& KeyVal);

    // Tests replace the registry, the file test and the program start.
    static void setEnvironment(SysInfoEnvironment env);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::frmAbout> ui;
    std::unique_ptr<Registry::Backend> m_registry;
};
