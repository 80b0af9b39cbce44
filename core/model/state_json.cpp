#include "model/state_json.h"

#include <limits>
#include <set>

#include "model/state_layout.h"

namespace kestra {

namespace {

using ojson = nlohmann::ordered_json;
using json = nlohmann::json;

class JsonWriter {
public:
    JsonWriter(ojson& out, const NameCodec& codec) : out_(out), codec_(codec) {}

    void word(const char* name, std::size_t, int32_t v) { out_[name] = v; }
    void hidden_word(std::size_t, int32_t) {}
    void words(const char* name, std::size_t, std::span<const int32_t> v, std::size_t) {
        out_[name] = ojson(std::vector<int32_t>(v.begin(), v.end()));
    }
    void bytes(const char* name, std::size_t, std::span<const uint8_t> v) {
        out_[name] = ojson(std::vector<int>(v.begin(), v.end()));
    }
    void text(const char* name, std::size_t, const FixedText& t) {
        out_[name] = codec_.to_utf8(t.str());
    }
    void flag(const char* name, std::size_t, uint8_t v) { out_[name] = v; }
    void time(std::size_t, const WallTime&) {}
    template <class R, class Fn>
    void records(const char* name, std::size_t, std::size_t, std::span<R> recs, Fn fn) {
        ojson list = ojson::array();
        for (auto& rec : recs) {
            ojson item = ojson::object();
            JsonWriter nested(item, codec_);
            fn(rec, nested);
            list.push_back(std::move(item));
        }
        out_[name] = std::move(list);
    }

private:
    ojson& out_;
    const NameCodec& codec_;
};

[[noreturn]] void fail(const std::string& path, const std::string& what) {
    throw StateJsonError(path + ": " + what);
}

int32_t to_int(const json& v, const std::string& path, int64_t lo, int64_t hi) {
    if (!v.is_number_integer()) {
        fail(path, "expected an integer");
    }
    const auto n = v.get<int64_t>();
    if (n < lo || n > hi) {
        fail(path, "value " + std::to_string(n) + " out of range " + std::to_string(lo) + ".." +
                       std::to_string(hi));
    }
    return static_cast<int32_t>(n);
}

const json& expect_list(const json& v, const std::string& path, std::size_t size) {
    if (!v.is_array()) {
        fail(path, "expected a list");
    }
    if (v.size() != size) {
        fail(path,
             "expected " + std::to_string(size) + " entries, got " + std::to_string(v.size()));
    }
    return v;
}

constexpr int64_t kI32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kI32Max = std::numeric_limits<int32_t>::max();

// Reads the fields present in one object; every key must be a known field.
class JsonReader {
public:
    JsonReader(const json& in, std::string path, const NameCodec& codec)
        : in_(in), path_(std::move(path)), codec_(codec) {}

    void word(const char* name, std::size_t, int32_t& v) {
        if (const json* f = take(name)) {
            v = to_int(*f, at(name), kI32Min, kI32Max);
        }
    }
    void hidden_word(std::size_t, int32_t&) {}
    void words(const char* name, std::size_t, std::span<int32_t> v, std::size_t) {
        if (const json* f = take(name)) {
            const json& list = expect_list(*f, at(name), v.size());
            for (std::size_t i = 0; i < v.size(); ++i) {
                v[i] = to_int(list[i], at(name) + "[" + std::to_string(i) + "]", kI32Min, kI32Max);
            }
        }
    }
    void bytes(const char* name, std::size_t, std::span<uint8_t> v) {
        if (const json* f = take(name)) {
            const json& list = expect_list(*f, at(name), v.size());
            for (std::size_t i = 0; i < v.size(); ++i) {
                v[i] = static_cast<uint8_t>(
                    to_int(list[i], at(name) + "[" + std::to_string(i) + "]", 0, 255));
            }
        }
    }
    void text(const char* name, std::size_t, FixedText& t) {
        if (const json* f = take(name)) {
            if (!f->is_string()) {
                fail(at(name), "expected a string");
            }
            t.assign(codec_.from_utf8(f->get<std::string>()));
        }
    }
    void flag(const char* name, std::size_t, uint8_t& v) {
        if (const json* f = take(name)) {
            v = static_cast<uint8_t>(to_int(*f, at(name), 0, 255));
        }
    }
    void time(std::size_t, WallTime&) {}
    template <class R, class Fn>
    void records(const char* name, std::size_t, std::size_t, std::span<R> recs, Fn fn) {
        if (const json* f = take(name)) {
            const json& list = expect_list(*f, at(name), recs.size());
            for (std::size_t i = 0; i < recs.size(); ++i) {
                const std::string item_path = at(name) + "[" + std::to_string(i) + "]";
                JsonReader nested(list[i], item_path, codec_);
                nested.require_object();
                fn(recs[i], nested);
                nested.finish();
            }
        }
    }

    void require_object() const {
        if (!in_.is_object()) {
            fail(path_, "expected an object");
        }
    }
    // Any key no field took is unknown.
    void finish() const {
        for (auto it = in_.begin(); it != in_.end(); ++it) {
            if (!seen_.count(it.key())) {
                fail(at(it.key().c_str()), "unknown field");
            }
        }
    }

private:
    const json* take(const char* name) {
        seen_.insert(name);
        const auto it = in_.find(name);
        return it == in_.end() ? nullptr : &*it;
    }
    std::string at(const char* name) const { return path_.empty() ? name : path_ + "." + name; }

    const json& in_;
    std::string path_;
    const NameCodec& codec_;
    std::set<std::string> seen_;
};

template <class Rec, class Visit>
void read_channels(const json& list, const char* key, std::span<Rec> channels,
                   const NameCodec& codec, Visit visit) {
    if (!list.is_array()) {
        fail(key, "expected a list");
    }
    if (list.size() > channels.size()) {
        fail(key, "at most " + std::to_string(channels.size()) + " entries");
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        JsonReader r(list[i], std::string(key) + "[" + std::to_string(i) + "]", codec);
        r.require_object();
        visit(channels[i], r);
        r.finish();
    }
}

}  // namespace

ojson StateJson::to_json(const DeviceState& state, const NameCodec& codec) {
    ojson root = ojson::object();
    ojson inputs = ojson::array();
    for (const auto& ch : state.inputs) {
        ojson item = ojson::object();
        JsonWriter w(item, codec);
        layout::visit_input(ch, w);
        inputs.push_back(std::move(item));
    }
    ojson outputs = ojson::array();
    for (const auto& out : state.outputs) {
        ojson item = ojson::object();
        JsonWriter w(item, codec);
        layout::visit_output(out, w);
        outputs.push_back(std::move(item));
    }
    ojson system = ojson::object();
    JsonWriter w(system, codec);
    layout::visit_system(state.system, w);
    root["inputs"] = std::move(inputs);
    root["outputs"] = std::move(outputs);
    root["system"] = std::move(system);
    return root;
}

std::string StateJson::dump(const DeviceState& state, const NameCodec& codec) {
    return to_json(state, codec).dump(1);
}

void StateJson::apply(const json& root, DeviceState& state, const NameCodec& codec) {
    if (!root.is_object()) {
        fail("state", "expected an object");
    }
    DeviceState staged = state;
    for (auto it = root.begin(); it != root.end(); ++it) {
        const std::string& key = it.key();
        if (key == "inputs") {
            read_channels(*it, "inputs", std::span<InputChannel>(staged.inputs), codec,
                          [](auto& ch, auto& r) { layout::visit_input(ch, r); });
        } else if (key == "outputs") {
            read_channels(*it, "outputs", std::span<OutputChannel>(staged.outputs), codec,
                          [](auto& out, auto& r) { layout::visit_output(out, r); });
        } else if (key == "system") {
            JsonReader r(*it, "system", codec);
            r.require_object();
            layout::visit_system(staged.system, r);
            r.finish();
        } else {
            fail(key, "unknown field");
        }
    }
    state = std::move(staged);
}

void StateJson::parse(std::string_view text, DeviceState& state, const NameCodec& codec) {
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        throw StateJsonError(std::string("not valid JSON: ") + e.what());
    }
    apply(root, state, codec);
}

}  // namespace kestra
