#pragma once

#include <optional>
#include <string>

namespace kestra {

// Where the preset database and the scene files live: the --data-dir option, else
// $KESTRA_DATA_DIR, else the standard data location ("~/.local/share/kestra-v").
class DataFolder {
public:
    static constexpr const char* kEnvironment = "KESTRA_DATA_DIR";

    static std::string resolve(const std::optional<std::string>& option);
    // Creates the folder when missing; false with the reason in `error`.
    static bool ensure(const std::string& folder, std::string& error);
};

}  // namespace kestra
