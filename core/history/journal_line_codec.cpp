#include "history/journal_line_codec.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace kestra {

namespace {

using json = nlohmann::json;

bool is_text(const json& j, const char* key) {
    const auto it = j.find(key);
    return it != j.end() && it->is_string();
}

}  // namespace

std::string JournalLineCodec::encode(const JournalLine& line) {
    json j = {{"time", line.time}, {"origin", line.origin}, {"text", line.text}};
    if (!line.fields.empty()) {
        json fields = json::array();
        for (const SceneDiffEntry& e : line.fields) {
            fields.push_back({e.channel, e.parameter, e.before, e.after});
        }
        j["fields"] = std::move(fields);
    }
    return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<JournalLine> JournalLineCodec::decode(std::string_view text) {
    const json j = json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object() || !is_text(j, "time") || !is_text(j, "origin") ||
        !is_text(j, "text")) {
        return std::nullopt;
    }
    JournalLine line{j["time"], j["origin"], j["text"], {}};
    const auto fields = j.find("fields");
    if (fields != j.end() && fields->is_array()) {
        for (const json& f : *fields) {
            if (f.is_array() && f.size() == 4 &&
                std::all_of(f.begin(), f.end(), [](const json& v) { return v.is_string(); })) {
                line.fields.push_back({f[0], f[1], f[2], f[3]});
            }
        }
    }
    return line;
}

}  // namespace kestra
