#include "protocol/update_reply.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "protocol/reply_decoder.h"

namespace kestra {

namespace {

constexpr std::size_t kVersionField = 25;
constexpr std::size_t kVersionChars = 15;

bool all_decimal(std::string_view s) {
    for (char c : s) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return !s.empty();
}

// The second field after the letter of "%U,01,RR,...#".
std::string_view result_field(std::string_view report) {
    const std::size_t first = report.find(',');
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t second = report.find(',', first + 1);
    if (second == std::string_view::npos) {
        return {};
    }
    const std::size_t end = report.find_first_of(",#", second + 1);
    return report.substr(second + 1,
                         end == std::string_view::npos ? std::string_view::npos : end - second - 1);
}

}  // namespace

void UpdateReplyText::append(std::string_view datagram) {
    const std::size_t nul = datagram.find('\0');
    if (nul != std::string_view::npos) {
        datagram = datagram.substr(0, nul);
    }
    const std::size_t room = kCapacity - text_.size();
    text_.append(datagram.substr(0, room));
}

std::optional<UpdateCompletion> find_update_completion(std::string_view collected) {
    const std::size_t at = collected.find("%U");
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view report = collected.substr(at);
    const std::size_t end = report.find('#');
    if (end != std::string_view::npos) {
        report = report.substr(0, end + 1);
    }
    const std::string_view result = result_field(report);
    const bool ok =
        all_decimal(result) && std::strtol(std::string(result).c_str(), nullptr, 10) == 0;
    return UpdateCompletion{std::string(report), ok};
}

std::optional<std::string> version_from_full_state(std::string_view frame) {
    ReplyFields fields;
    if (!fields.split(frame, 'Z')) {
        return std::nullopt;
    }
    return std::string(fields.data(kVersionField).substr(0, kVersionChars));
}

std::string format_version(std::string_view version) {
    const std::string text(version);
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(value)) {
        value = 0;
    }
    char out[64];
    std::snprintf(out, sizeof out, "%0.1f", value * 0.1);
    return out;
}

}  // namespace kestra
