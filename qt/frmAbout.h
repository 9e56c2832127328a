#pragma once

#include "core/Registry.h"

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class frmAbout;
}

// The about box: title, version, description and the system information launcher.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    void StartSysInfo();
    bool GetKeyValue(const Registry::HKEY& KeyRoot, const std::string& KeyName,
                     const std::string& SubKeyRef, std::string& KeyVal);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::frmAbout> ui;
};
