#include "shell/profile.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include "store/data_folder.h"

namespace kestra {

namespace {

QString folder_for(const std::optional<std::string>& data_dir) {
    if (data_dir || qEnvironmentVariableIsSet(DataFolder::kEnvironment)) {
        return QString::fromStdString(DataFolder::resolve(data_dir));
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kestra-v");
}

QString qualified_key() {
    return QStringLiteral("%1/%2").arg(Profile::kSection, Profile::kKey);
}

}  // namespace

Profile::Profile(const std::optional<std::string>& data_dir)
    : path_(QDir(folder_for(data_dir)).filePath(kFileName)) {}

QString Profile::host_ip() const {
    QSettings settings(path_, QSettings::IniFormat);
    const QString value = settings.value(qualified_key()).toString().trimmed();
    return value.isEmpty() ? QString::fromLatin1(kDefaultAddress) : value;
}

bool Profile::set_host_ip(const QString& address) {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSettings settings(path_, QSettings::IniFormat);
    settings.setValue(qualified_key(), address);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace kestra
