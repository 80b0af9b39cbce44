#pragma once

#include <QString>
#include <optional>
#include <string>

namespace kestra {

// The one setting kept between runs: the processor's address, in "kestra-v.ini" (section
// "U_FONT_SECTION", key "hostip"). It lives in the data folder when one is named (option or
// environment), else in the user's configuration folder.
class Profile {
public:
    static constexpr const char* kFileName = "kestra-v.ini";
    static constexpr const char* kSection = "U_FONT_SECTION";
    static constexpr const char* kKey = "hostip";
    static constexpr const char* kDefaultAddress = "192.168.1.106";

    explicit Profile(const std::optional<std::string>& data_dir);

    QString path() const { return path_; }
    // The stored address; the default for a missing or empty entry.
    QString host_ip() const;
    // False when the file could not be written.
    bool set_host_ip(const QString& address);

private:
    QString path_;
};

}  // namespace kestra
