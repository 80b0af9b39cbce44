#include "firmware/firmware_image.h"

#include <fstream>
#include <system_error>

namespace kestra {

std::variant<FirmwareImage, std::string> FirmwareImage::load(
    const std::string& file_name, int target, const std::vector<std::filesystem::path>& folders) {
    for (const auto& folder : folders) {
        const std::filesystem::path path = folder / file_name;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            continue;
        }
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (ec) {
            return "Cannot read the firmware image " + path.string() + ".";
        }
        if (size == 0) {
            return "The firmware image " + path.string() + " is empty.";
        }
        if (size > kMaxBytes) {
            return "The firmware image " + path.string() + " is too large.";
        }
        std::ifstream in(path, std::ios::binary);
        FirmwareImage image{file_name, target, path, std::vector<uint8_t>(size)};
        in.read(reinterpret_cast<char*>(image.bytes.data()), static_cast<std::streamsize>(size));
        if (!in || in.gcount() != static_cast<std::streamsize>(size)) {
            return "Cannot read the firmware image " + path.string() + ".";
        }
        return image;
    }
    return "The firmware image " + file_name + " was not found.";
}

std::vector<std::filesystem::path> FirmwareImage::search_folders(
    const std::filesystem::path& data_folder, const std::filesystem::path& program_folder) {
    const std::filesystem::path installed = program_folder / ".." / "share" / "kestra-v";
    return {data_folder, program_folder, installed.lexically_normal()};
}

std::filesystem::path FirmwareImage::running_program_folder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

}  // namespace kestra
