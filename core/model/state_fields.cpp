#include "model/state_fields.h"

#include <span>
#include <string_view>

#include "model/state_layout.h"

namespace kestra {

namespace {

bool live(std::string_view name) {
    return name == "level" || name == "mix_flag" || name == "mix_state" || name == "connected" ||
           name == "connecting";
}

std::string indexed(std::string_view name, std::size_t i) {
    return std::string(name) + "[" + std::to_string(i) + "]";
}

// Walks one record's named values in layout order. `Slot` receives (path-part, value&) where
// the value is an int32_t, a uint8_t or a FixedText; the path is only built when asked for.
template <class Slot>
class Walker {
public:
    Walker(Slot& slot, std::string prefix) : slot_(slot), prefix_(std::move(prefix)) {}

    void word(const char* name, std::size_t, int32_t& v) { one(name, v); }
    void hidden_word(std::size_t, int32_t&) {}
    void words(const char* name, std::size_t, std::span<int32_t> v, std::size_t) { many(name, v); }
    void bytes(const char* name, std::size_t, std::span<uint8_t> v) { many(name, v); }
    void text(const char* name, std::size_t, FixedText& t) { one(name, t); }
    void flag(const char* name, std::size_t, uint8_t& v) { one(name, v); }
    void time(std::size_t, WallTime&) {}
    template <class R, class Fn>
    void records(const char* name, std::size_t, std::size_t, std::span<R> recs, Fn fn) {
        for (std::size_t i = 0; i < recs.size(); ++i) {
            Walker nested(slot_, Slot::kPaths ? prefix_ + indexed(name, i) + "." : std::string());
            fn(recs[i], nested);
        }
    }

    template <class T>
    void one(const char* name, T& v) {
        if (!live(name)) {
            slot_(Slot::kPaths ? prefix_ + name : std::string(), v);
        }
    }
    template <class T>
    void many(const char* name, std::span<T> v) {
        for (std::size_t i = 0; i < v.size(); ++i) {
            slot_(Slot::kPaths ? prefix_ + indexed(name, i) : std::string(), v[i]);
        }
    }

private:
    Slot& slot_;
    std::string prefix_;
};

// The group records have no layout table; they follow the same pattern. The mute records'
// trailers are bytes no page uses.
template <class Slot>
void walk_groups(GroupTables& g, Slot& slot) {
    Walker<Slot> top(slot, "");
    for (std::size_t k = 0; k < g.mute.size(); ++k) {
        Walker<Slot> w(slot, Slot::kPaths ? indexed("mute", k) + "." : std::string());
        w.many("input_member", layout::dyn(g.mute[k].input_member));
        w.many("output_member", layout::dyn(g.mute[k].output_member));
    }
    for (std::size_t k = 0; k < g.control.size(); ++k) {
        ControlGroup& c = g.control[k];
        Walker<Slot> w(slot, Slot::kPaths ? indexed("control", k) + "." : std::string());
        w.many("input_member", layout::dyn(c.input_member));
        w.many("output_member", layout::dyn(c.output_member));
        w.one("member_count", c.member_count);
        w.many("link", layout::dyn(c.link));
        w.one("name", c.name);
    }
    top.many("control_active", layout::dyn(g.control_active));
    top.one("active_mute_group", g.active_mute_group);
}

template <class Slot>
void walk(DeviceState& s, int unit, Slot& slot) {
    if (StateFields::is_input(unit)) {
        Walker<Slot> w(slot, "");
        layout::visit_input(s.inputs[static_cast<std::size_t>(unit)], w);
    } else if (StateFields::is_output(unit)) {
        Walker<Slot> w(slot, "");
        layout::visit_output(s.outputs[static_cast<std::size_t>(unit - kInputCount)], w);
    } else if (unit == StateFields::kSystemUnit) {
        Walker<Slot> w(slot, "");
        layout::visit_system(s.system, w);
    } else if (unit == StateFields::kGroupsUnit) {
        walk_groups(s.groups, slot);
    }
}

struct Collect {
    static constexpr bool kPaths = false;
    std::vector<FieldValue>& out;
    void operator()(const std::string&, int32_t& v) { out.push_back({v, {}, false}); }
    void operator()(const std::string&, uint8_t& v) { out.push_back({v, {}, false}); }
    void operator()(const std::string&, FixedText& t) { out.push_back({0, t.str(), true}); }
};

struct CollectPaths {
    static constexpr bool kPaths = true;
    std::vector<std::string>& out;
    template <class T>
    void operator()(std::string path, T&) {
        out.push_back(std::move(path));
    }
};

struct Store {
    static constexpr bool kPaths = false;
    int target;
    const FieldValue& value;
    int at = 0;
    bool stored = false;

    void operator()(const std::string&, int32_t& v) {
        if (at++ == target && !value.is_text) {
            v = value.number;
            stored = true;
        }
    }
    void operator()(const std::string&, uint8_t& v) {
        if (at++ == target && !value.is_text && value.number >= 0 && value.number <= 255) {
            v = static_cast<uint8_t>(value.number);
            stored = true;
        }
    }
    void operator()(const std::string&, FixedText& t) {
        if (at++ == target && value.is_text) {
            t.assign(value.text);
            stored = true;
        }
    }
};

struct StoreAll {
    static constexpr bool kPaths = false;
    const std::vector<FieldValue>& values;
    std::size_t at = 0;

    void operator()(const std::string&, int32_t& v) { v = next().number; }
    void operator()(const std::string&, uint8_t& v) { v = static_cast<uint8_t>(next().number); }
    void operator()(const std::string&, FixedText& t) { t.assign(next().text); }
    const FieldValue& next() { return values[at++]; }
};

std::vector<std::string> paths_of(int unit) {
    std::vector<std::string> out;
    CollectPaths collect{out};
    DeviceState scratch;
    walk(scratch, unit, collect);
    return out;
}

}  // namespace

std::vector<FieldValue> StateFields::values(const DeviceState& state, int unit) {
    std::vector<FieldValue> out;
    Collect collect{out};
    // The walkers hand out references for writing too; collecting only reads them.
    walk(const_cast<DeviceState&>(state), unit, collect);
    return out;
}

const std::vector<std::string>& StateFields::paths(int unit) {
    static const std::vector<std::string> input = paths_of(input_unit(0));
    static const std::vector<std::string> output = paths_of(output_unit(0));
    static const std::vector<std::string> system = paths_of(kSystemUnit);
    static const std::vector<std::string> groups = paths_of(kGroupsUnit);
    static const std::vector<std::string> none;
    if (is_input(unit)) {
        return input;
    }
    if (is_output(unit)) {
        return output;
    }
    return unit == kSystemUnit ? system : unit == kGroupsUnit ? groups : none;
}

bool StateFields::assign(DeviceState& state, int unit, int slot, const FieldValue& value) {
    Store store{slot, value};
    walk(state, unit, store);
    return store.stored;
}

void StateFields::copy_unit(DeviceState& to, const DeviceState& from, int unit) {
    const std::vector<FieldValue> v = values(from, unit);
    StoreAll store{v};
    walk(to, unit, store);
}

bool StateFields::same(const DeviceState& a, const DeviceState& b, int unit) {
    if (unit == kGroupsUnit) {
        return a.groups == b.groups || values(a, unit) == values(b, unit);
    }
    return values(a, unit) == values(b, unit);
}

}  // namespace kestra
