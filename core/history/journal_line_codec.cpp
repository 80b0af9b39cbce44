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

using Form = SceneDiffEntry::Form;

// A field's form is written only where it is not a plain change, so that lines from before
// forms existed read as they always did.
const char* form_word(Form form) {
    switch (form) {
        case Form::Switch:
            return "switch";
        case Form::Member:
            return "member";
        case Form::Activation:
            return "activation";
        case Form::Change:
            break;
    }
    return "";
}

Form form_of(const std::string& word) {
    for (const Form f : {Form::Switch, Form::Member, Form::Activation}) {
        if (word == form_word(f)) {
            return f;
        }
    }
    return Form::Change;
}

}  // namespace

std::string JournalLineCodec::encode(const JournalLine& line) {
    json j = {{"time", line.time}, {"origin", line.origin}, {"text", line.text}};
    if (!line.fields.empty()) {
        json fields = json::array();
        for (const SceneDiffEntry& e : line.fields) {
            json field = {e.channel, e.parameter, e.before, e.after};
            if (e.form != Form::Change) {
                field.push_back(form_word(e.form));
            }
            fields.push_back(std::move(field));
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
            if (f.is_array() && (f.size() == 4 || f.size() == 5) &&
                std::all_of(f.begin(), f.end(), [](const json& v) { return v.is_string(); })) {
                SceneDiffEntry e{f[0], f[1], f[2], f[3]};
                if (f.size() == 5) {
                    e.form = form_of(f[4]);
                }
                line.fields.push_back(std::move(e));
            }
        }
    }
    return line;
}

}  // namespace kestra
