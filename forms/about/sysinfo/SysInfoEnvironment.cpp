#include "SysInfoEnvironment.h"

#include <QFileInfo>
#include <QProcess>

SysInfoEnvironment SysInfoEnvironment::system() {
    SysInfoEnvironment env;
    env.registry = [] { return std::make_unique<Registry::SystemBackend>(); };
    env.dir = [](const QString& path) {
        const QFileInfo info(path);
        if (path.isEmpty() || !info.isFile() || info.isHidden())
            return QString();
        return info.fileName();
    };
    env.start = [](const QString& path) {
        if (path.isEmpty())
            return false;
        return QProcess::startDetached(path, {});
    };
    return env;
}
