#include "store/data_folder.h"

#include <cstdlib>
#include <filesystem>

#include <QStandardPaths>

namespace kestra {

std::string DataFolder::resolve(const std::optional<std::string>& option) {
    if (option && !option->empty()) {
        return *option;
    }
    if (const char* env = std::getenv(kEnvironment); env != nullptr && *env != '\0') {
        return env;
    }
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return (std::filesystem::path(base.toStdString()) / "kestra-v").string();
}

bool DataFolder::ensure(const std::string& folder, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder, ec)) {
        error = "Cannot use the data folder " + folder + ": " +
                (ec ? ec.message() : std::string("not a folder"));
        return false;
    }
    return true;
}

}  // namespace kestra
