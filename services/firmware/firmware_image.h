#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace kestra {

// One firmware image as it goes to the processor: its bytes exactly as in the file, and the
// target they are written to (1 the controller, 0 the DSP).
struct FirmwareImage {
    std::string file_name;
    int target = 1;
    std::filesystem::path path;
    std::vector<uint8_t> bytes;

    // Far beyond any processor image; a larger file is refused rather than read into memory.
    static constexpr std::uintmax_t kMaxBytes = 64u << 20;

    // The first folder holding `file_name` wins. Nothing found, an unreadable, empty or too
    // large file gives the operator's text of what is wrong.
    static std::variant<FirmwareImage, std::string> load(
        const std::string& file_name, int target,
        const std::vector<std::filesystem::path>& folders);

    // The folders a LOCAL update searches, in order: the data folder, the program's own
    // folder (a build tree or an unpacked copy), then the share folder of the tree the program
    // is installed in ("<program folder>/../share/kestra-v").
    static std::vector<std::filesystem::path> search_folders(
        const std::filesystem::path& data_folder, const std::filesystem::path& program_folder);
    // The folder of the running program; the working folder when it cannot be told.
    static std::filesystem::path running_program_folder();
};

// The images of a LOCAL update, in sending order.
struct FirmwareImageName {
    const char* file_name;
    int target;
};
inline constexpr FirmwareImageName kLocalUpdateImages[] = {
    {"Digital-Velombrix.bin", 1},
    {"LSBF_DSP21489_Velombrix.bin", 0},
};

}  // namespace kestra
