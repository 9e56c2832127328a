#include "qt/sysinfo/SysInfoEnvironment.h"

#include "qt/sysinfo/ProgramSearch.h"

#include <QFileInfo>
#include <QProcess>
#include <QString>

namespace {

class FileInfoExistence : public SysInfo::FileExistence {
public:
    std::string fileName(const std::string& path) override {
        const QFileInfo info(QString::fromLocal8Bit(path));
        if (path.empty() || !info.isFile() || info.isHidden())
            return {};
        return info.fileName().toLocal8Bit().toStdString();
    }
};

class DetachedStart : public SysInfo::ProgramStart {
public:
    bool start(const std::string& path) override {
        if (path.empty())
            return false;
        return QProcess::startDetached(QString::fromLocal8Bit(path), {});
    }
};

} // namespace

SysInfoEnvironment SysInfoEnvironment::system() {
    SysInfoEnvironment env;
    env.registry = [] { return std::make_unique<ProgramSearch>(); };
    env.files = std::make_shared<FileInfoExistence>();
    env.programs = std::make_shared<DetachedStart>();
    return env;
}
