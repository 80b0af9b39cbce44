#include "store/scene_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

namespace kestra {

namespace {

std::string reason(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

bool write_all(int fd, std::span<const uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void sync_folder(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool SceneFile::write(const std::string& path, std::span<const uint8_t> bytes, std::string& error,
                      const BeforeRename& before_rename) {
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = reason("Cannot create", temp);
        return false;
    }
    const bool written = write_all(fd, bytes) && ::fsync(fd) == 0;
    if (!written) {
        error = reason("Cannot write", temp);
    }
    if (::close(fd) != 0 && written) {
        error = reason("Cannot write", temp);
        ::unlink(temp.c_str());
        return false;
    }
    if (!written) {
        ::unlink(temp.c_str());
        return false;
    }
    if (before_rename && !before_rename()) {
        error = "Stopped before replacing " + path;
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = reason("Cannot replace", path);
        ::unlink(temp.c_str());
        return false;
    }
    sync_folder(path);
    return true;
}

bool SceneFile::read(const std::string& path, std::vector<uint8_t>& bytes, std::string& error,
                     std::size_t max_bytes) {
    // Non-blocking, so that opening a pipe cannot hang before the kind is known.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = reason("Cannot open", path);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = path + " is not a regular file";
        ::close(fd);
        return false;
    }
    if (static_cast<std::uintmax_t>(st.st_size) > max_bytes) {
        error = path + " holds " + std::to_string(st.st_size) + " bytes, more than " +
                std::to_string(max_bytes);
        ::close(fd);
        return false;
    }
    std::vector<uint8_t> data(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n < 0) {
            error = reason("Cannot read", path);
            ::close(fd);
            return false;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (done > max_bytes) {
        error = path + " grew while it was read";
        return false;
    }
    data.resize(done);
    bytes = std::move(data);
    return true;
}

bool SceneFile::exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool SceneFile::move_aside(const std::string& path, std::string& moved_to, std::string& error) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char stamp[32] = "";
    if (::localtime_r(&now, &local) != nullptr) {
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    }
    const std::string base = path + ".orphan-" + stamp;
    std::string to = base;
    for (int k = 2; exists(to); ++k) {
        to = base + "-" + std::to_string(k);
    }
    if (::rename(path.c_str(), to.c_str()) != 0) {
        error = reason("Cannot move aside", path);
        return false;
    }
    moved_to = to;
    return true;
}

bool SceneFile::move_to_trash(const std::string& path, std::string& error) {
    // Only a trash that already exists: where the home trash cannot be set up, Qt has been
    // seen to build one relative to the working folder instead of failing.
    const QString home_trash =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    QString trashed;
    if (QDir(home_trash).exists() && QFile::moveToTrash(QString::fromStdString(path), &trashed) &&
        QFileInfo(trashed).isAbsolute()) {
        return true;
    }
    if (!exists(path)) {
        error = "Cannot move " + path + " to the trash";
        return false;
    }
    const std::filesystem::path from(path);
    const std::filesystem::path folder = from.parent_path() / "deleted";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string stem = from.stem().string() + "-" + std::to_string(std::time(nullptr));
    std::filesystem::path to = folder / (stem + from.extension().string());
    for (int k = 2; std::filesystem::exists(to, ec); ++k) {
        to = folder / (stem + "-" + std::to_string(k) + from.extension().string());
    }
    std::filesystem::rename(from, to, ec);
    if (ec) {
        error = "Cannot move " + path + " to the trash: " + ec.message();
        return false;
    }
    return true;
}

}  // namespace kestra
