// JSON exchange of store contents.
#include "varo/transfer.h"

#include <nlohmann/json.hpp>

#include <iterator>
#include <limits>
#include <set>

#include "base/utf8.h"
#include "varo/validate.h"

namespace varo {

using Json = nlohmann::ordered_json;

namespace {

// ---- writing ----

Json severity_json(const Severity& s) { return Json{{"name", s.name}, {"value", s.value}, {"color", s.color}}; }
Json poll_rate_json(const PollRate& p) { return Json{{"name", p.name}, {"rate", p.rate}}; }
Json condition_json(const Condition& c) { return Json{{"name", c.name}, {"descr", c.descr}, {"code", c.code}}; }

Json template_json(const TemplateDef& t) {
    Json states = Json::array();
    for (const State& s : t.states) {
        Json state{{"name", s.name}, {"descr", s.descr}, {"severity", s.severity}, {"poll_rate", s.poll_rate}};
        if (s.position) {
            state["x"] = s.position->x;
            state["y"] = s.position->y;
        }
        states.push_back(std::move(state));
    }
    Json transitions = Json::array();
    for (const Transition& tr : t.transitions) {
        Json actions = Json::array();
        for (const Action& a : tr.actions) actions.push_back(Json{{"kind", a.kind}, {"arg0", a.arg0}, {"arg1", a.arg1}});
        transitions.push_back(
            Json{{"from", tr.from}, {"to", tr.to}, {"condition", tr.condition}, {"actions", std::move(actions)}});
    }
    return Json{{"name", t.name}, {"descr", t.descr}, {"states", std::move(states)}, {"transitions", std::move(transitions)}};
}

// ---- reading ----

[[noreturn]] void bad(const std::string& pointer, const std::string& what) {
    throw StoreError(StoreError::Invalid, (pointer.empty() ? "/" : pointer) + ": " + what);
}

const char* type_name(const Json& j) {
    if (j.is_object()) return "an object";
    if (j.is_array()) return "an array";
    if (j.is_string()) return "a string";
    if (j.is_boolean()) return "true or false";
    if (j.is_null()) return "null";
    return "a number";
}

// An object whose keys are the given ones (all required) and, where allowed, the optional
// ones, read one key at a time.
class Fields {
public:
    Fields(const Json& j, std::string pointer, std::initializer_list<const char*> keys,
           std::initializer_list<const char*> optional = {})
        : j_(j), p_(std::move(pointer)) {
        if (!j.is_object()) bad(p_, std::string("expected an object, found ") + type_name(j));
        std::set<std::string> known(keys.begin(), keys.end());
        known.insert(optional.begin(), optional.end());
        for (auto it = j.begin(); it != j.end(); ++it)
            if (!known.count(it.key())) bad(p_ + "/" + escape(it.key()), "unknown key '" + it.key() + "'");
        for (const char* k : keys)
            if (!j.contains(k)) bad(p_, std::string("missing '") + k + "'");
    }

    bool has(const char* key) const { return j_.contains(key); }

    std::string text(const char* key) const {
        const Json& v = j_.at(key);
        if (!v.is_string()) bad(where(key), std::string("expected a string, found ") + type_name(v));
        return v.get<std::string>();
    }
    // A command or mail action's operand: a text in double quotes, holding none inside, where
    // one would end the operand early for whatever runs the action.
    std::string operand(const char* key) const {
        std::string t = text(key);
        if (t.size() > 2 && t.find('"', 1) < t.size() - 1)
            bad(where(key), "an action operand cannot hold the character '\"' (double quote)");
        return t;
    }
    // A name in normal form, so that two spellings of one name in a file are one name.
    std::string name(const char* key) const { return nfc(text(key)); }
    int integer(const char* key) const {
        const Json& v = j_.at(key);
        if (!v.is_number_integer()) bad(where(key), std::string("expected a whole number, found ") + type_name(v));
        if (v.is_number_unsigned() ? v.get<std::uint64_t>() > 32767u
                                   : (v.get<std::int64_t>() > 32767 || v.get<std::int64_t>() < -32768))
            bad(where(key), "number out of range (1 to 32767)");
        return static_cast<int>(v.get<std::int64_t>());
    }
    // A version number: 1 or more.
    std::int64_t whole(const char* key) const {
        const Json& v = j_.at(key);
        if (!v.is_number_integer() || (!v.is_number_unsigned() && v.get<std::int64_t>() < 1) ||
            (v.is_number_unsigned() && v.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())))
            bad(where(key), std::string("expected a whole number from 1, found ") + type_name(v));
        return v.get<std::int64_t>();
    }
    int coordinate(const char* key) const {
        const Json& v = j_.at(key);
        if (!v.is_number_integer()) bad(where(key), std::string("expected a whole number, found ") + type_name(v));
        if (v.is_number_unsigned() ? v.get<std::uint64_t>() > static_cast<std::uint64_t>(kMaxPosition)
                                   : (v.get<std::int64_t>() < 0 || v.get<std::int64_t>() > kMaxPosition))
            bad(where(key), "position out of range (0 to " + std::to_string(kMaxPosition) + ")");
        return static_cast<int>(v.get<std::int64_t>());
    }
    const Json& array(const char* key) const {
        const Json& v = j_.at(key);
        if (!v.is_array()) bad(where(key), std::string("expected an array, found ") + type_name(v));
        return v;
    }
    std::string where(const char* key) const { return p_ + "/" + escape(key); }

private:
    static std::string escape(const std::string& key) {
        std::string out;
        for (char c : key) out += c == '~' ? "~0" : c == '/' ? "~1" : std::string(1, c);
        return out;
    }
    const Json& j_;
    std::string p_;
};

// Runs a store check and puts the place in the file before its text.
template <class Fn>
void checked(const std::string& pointer, Fn&& fn) {
    try {
        fn();
    } catch (const StoreError& e) {
        bad(pointer, e.what());
    }
}

TemplateDef read_template(const Json& j, const std::string& p, Reading reading) {
    const bool as_written = reading == Reading::AsWritten;
    auto name = [as_written](const Fields& f, const char* key) { return as_written ? f.text(key) : f.name(key); };
    Fields f(j, p, {"name", "descr", "states", "transitions"});
    TemplateDef t;
    t.name = name(f, "name");
    t.descr = f.text("descr");
    const Json& states = f.array("states");
    for (std::size_t i = 0; i < states.size(); ++i) {
        Fields s(states[i], f.where("states") + "/" + std::to_string(i), {"name", "descr", "severity", "poll_rate"},
                 {"x", "y"});
        t.states.push_back({name(s, "name"), s.text("descr"), name(s, "severity"), name(s, "poll_rate")});
        // A diagram position is both coordinates or none.
        if (s.has("x") != s.has("y")) bad(s.where(s.has("x") ? "x" : "y"), "a position needs both 'x' and 'y'");
        if (s.has("x")) t.states.back().position = StatePosition{s.coordinate("x"), s.coordinate("y")};
    }
    const Json& transitions = f.array("transitions");
    for (std::size_t i = 0; i < transitions.size(); ++i) {
        std::string tp = f.where("transitions") + "/" + std::to_string(i);
        Fields tr(transitions[i], tp, {"from", "to", "condition", "actions"});
        Transition out{name(tr, "from"), name(tr, "to"), name(tr, "condition"), {}};
        const Json& actions = tr.array("actions");
        for (std::size_t k = 0; k < actions.size(); ++k) {
            Fields a(actions[k], tr.where("actions") + "/" + std::to_string(k), {"kind", "arg0", "arg1"});
            std::string kind = a.text("kind");
            bool raises = kind == "CONDITION";
            auto operand = [&](const char* key) { return as_written ? a.text(key) : a.operand(key); };
            out.actions.push_back(
                {kind, raises ? name(a, "arg0") : operand("arg0"), raises ? a.text("arg1") : operand("arg1")});
        }
        t.transitions.push_back(std::move(out));
    }
    // A copy written by this program is checked again when it is saved, under the names it keeps.
    if (!as_written) checked(p, [&] { validate_template(t); });
    return t;
}

// "line L, column C" of a byte offset.
std::string position_of(const std::string& text, std::size_t offset) {
    int line = 1, column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The file's bytes as the parser takes them, counted, so a refusal the parser cannot place
// itself still names where it stopped.
class CountedChars {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountedChars(const char* at, std::size_t* taken) : at_(at), taken_(taken) {}
    reference operator*() const { return *at_; }
    CountedChars& operator++() {
        ++at_;
        if (taken_) ++*taken_;
        return *this;
    }
    bool operator==(const CountedChars& o) const { return at_ == o.at_; }
    bool operator!=(const CountedChars& o) const { return at_ != o.at_; }

private:
    const char* at_;
    std::size_t* taken_;
};

// A file of the exchange format nests seven deep. Without a bound, a hostile one of a hundred
// thousand brackets exhausts the stack of whatever walks the value; the parser itself stops
// at the first bracket past it.
constexpr int kMaxNesting = 64;

Json parse_bounded(const std::string& text) {
    struct TooDeep {};
    std::size_t taken = 0;
    auto bound = [](int depth, Json::parse_event_t event, Json&) {
        if ((event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) &&
            depth >= kMaxNesting)
            throw TooDeep{};
        return true;
    };
    try {
        return Json::parse(CountedChars(text.data(), &taken), CountedChars(text.data() + text.size(), nullptr), bound);
    } catch (const TooDeep&) {
        throw StoreError(StoreError::Invalid, position_of(text, taken > 0 ? taken - 1 : 0) +
                                                  ": not valid JSON: nested more than " +
                                                  std::to_string(kMaxNesting) + " deep");
    }
}

template <class T>
void no_duplicates(const std::vector<T>& items, const std::string& pointer) {
    std::set<std::string> names;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!names.insert(items[i].name).second)
            bad(pointer + "/" + std::to_string(i) + "/name", "\"" + items[i].name + "\" appears twice");
}

// Every version of the templates exported, oldest first, each with what made it.
Json history_json(Store& store, const std::optional<std::string>& template_name) {
    std::vector<TemplateVersion> versions = store.template_history(template_name, !template_name);
    Json out = Json::array();
    for (auto v = versions.rbegin(); v != versions.rend(); ++v) {
        std::optional<TemplateDef> def;
        if (!v->deleted()) def = store.template_version(v->template_name, v->version);
        out.push_back(Json{{"template", v->template_name}, {"version", v->version}, {"kind", v->kind},
                           {"author", v->author}, {"host", v->host}, {"time", v->time},
                           {"definition", def ? template_json(*def) : Json(nullptr)}});
    }
    return out;
}

// A file's history: each version once, a definition for all but a deletion, under its name;
// each read as written, as the store keeps it (see Reading).
std::vector<VersionRecord> read_history(const Json& list) {
    std::vector<VersionRecord> out;
    std::set<std::pair<std::string, std::int64_t>> seen;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string p = "/history/" + std::to_string(i);
        Fields f(list[i], p, {"template", "version", "kind", "author", "host", "time", "definition"});
        VersionRecord r;
        r.about = {f.text("template"), f.whole("version"), f.text("kind"), f.text("author"), f.text("host"),
                   f.text("time")};
        bool known = false;
        for (int k = 0; k <= static_cast<int>(ChangeKind::Existing); ++k)
            known = known || r.about.kind == change_kind_name(static_cast<ChangeKind>(k));
        if (!known) bad(f.where("kind"), "unknown kind '" + r.about.kind + "'");
        if (!seen.insert({r.about.template_name, r.about.version}).second)
            bad(f.where("version"), "version " + std::to_string(r.about.version) + " of \"" + r.about.template_name +
                                        "\" appears twice");
        const Json& def = list[i].at("definition");
        if (def.is_null() != r.about.deleted())
            bad(f.where("definition"), r.about.deleted() ? "a deletion has no definition" : "expected a template");
        if (!def.is_null()) {
            r.definition = read_template(def, f.where("definition"), Reading::AsWritten);
            if (r.definition->name != r.about.template_name)
                bad(f.where("definition") + "/name", "not the template \"" + r.about.template_name + "\"");
        }
        out.push_back(std::move(r));
    }
    return out;
}

std::string export_snapshot(Store& store, const std::optional<std::string>& template_name, bool with_history) {
    std::vector<TemplateDef> templates;
    if (template_name) {
        auto t = store.load_template(*template_name);
        if (!t) throw StoreError(StoreError::NotFound, "template \"" + *template_name + "\" does not exist");
        templates.push_back(std::move(*t));
    } else {
        for (const TemplateSummary& s : store.list_templates())
            if (auto t = store.load_template(s.name)) templates.push_back(std::move(*t));
    }
    std::set<std::string> severities, poll_rates, conditions;
    for (const TemplateDef& t : templates) {
        for (const State& s : t.states) severities.insert(s.severity), poll_rates.insert(s.poll_rate);
        for (const Transition& tr : t.transitions) {
            conditions.insert(tr.condition);
            for (const Action& a : tr.actions)
                if (a.kind == "CONDITION") conditions.insert(a.arg0);
        }
    }
    auto wanted = [&](const std::set<std::string>& names, const std::string& name) {
        return !template_name || names.count(name) > 0;
    };

    // Files without positions keep the first format, so older programs still read them.
    bool positions = false;
    for (const TemplateDef& t : templates)
        for (const State& s : t.states) positions = positions || s.position.has_value();

    Json doc;
    doc["format"] = kTransferFormat;
    doc["format_version"] = with_history ? kTransferVersion : positions ? 2 : 1;
    doc["severities"] = Json::array();
    for (const Severity& s : store.list_severities())
        if (wanted(severities, s.name)) doc["severities"].push_back(severity_json(s));
    doc["poll_rates"] = Json::array();
    for (const PollRate& p : store.list_poll_rates())
        if (wanted(poll_rates, p.name)) doc["poll_rates"].push_back(poll_rate_json(p));
    doc["conditions"] = Json::array();
    for (const Condition& c : store.list_conditions())
        if (wanted(conditions, c.name)) doc["conditions"].push_back(condition_json(c));
    doc["templates"] = Json::array();
    for (const TemplateDef& t : templates) doc["templates"].push_back(template_json(t));
    if (with_history) doc["history"] = history_json(store, template_name);
    return doc.dump(2) + "\n";
}
}  // namespace

std::string export_json(Store& store, const std::optional<std::string>& template_name, bool with_history) {
    // Read from one snapshot: a template deleted meanwhile and then the condition it named
    // would otherwise leave a file that names a condition it does not hold.
    std::string text;
    store.read_consistently([&] { text = export_snapshot(store, template_name, with_history); });
    return text;
}

std::string template_exchange_json(const TemplateDef& def) {
    bool positions = false;
    for (const State& s : def.states) positions = positions || s.position.has_value();
    Json doc;
    doc["format"] = kTransferFormat;
    doc["format_version"] = positions ? kTransferVersion : 1;
    doc["severities"] = Json::array();
    doc["poll_rates"] = Json::array();
    doc["conditions"] = Json::array();
    doc["templates"] = Json::array({template_json(def)});
    return doc.dump(2) + "\n";
}

StoreContents parse_transfer(const std::string& text, Reading reading) {
    Json doc;
    try {
        doc = parse_bounded(text);
    } catch (const Json::parse_error& e) {
        // The library's text names the byte; a person wants the line and column.
        std::string what = e.what();
        std::size_t colon = what.rfind(": ");
        std::string reason = colon == std::string::npos ? what : what.substr(colon + 2);
        std::size_t at = e.byte > 0 ? e.byte - 1 : 0;
        throw StoreError(StoreError::Invalid, position_of(text, at) + ": not valid JSON: " + reason);
    } catch (const Json::out_of_range&) {
        // 1e999 and its like: the library's text would quote the whole number back.
        throw StoreError(StoreError::Invalid, "not valid JSON: a number is too large");
    }
    Fields top(doc, "", {"format", "format_version", "severities", "poll_rates", "conditions", "templates"}, {"history"});
    if (top.text("format") != kTransferFormat)
        bad("/format", std::string("not a store exchange file (expected \"") + kTransferFormat + "\")");
    int version = top.integer("format_version");
    if (version > kTransferVersion)
        bad("/format_version", "written by a newer program (format version " + std::to_string(version) + ")");
    if (version < 1) bad("/format_version", "unknown format version " + std::to_string(version));

    StoreContents c;
    const Json& severities = top.array("severities");
    for (std::size_t i = 0; i < severities.size(); ++i) {
        std::string p = "/severities/" + std::to_string(i);
        Fields f(severities[i], p, {"name", "value", "color"});
        Severity s{f.name("name"), f.integer("value"), f.text("color")};
        checked(p, [&] { validate_severity(s); });
        c.severities.push_back(std::move(s));
    }
    const Json& rates = top.array("poll_rates");
    for (std::size_t i = 0; i < rates.size(); ++i) {
        std::string p = "/poll_rates/" + std::to_string(i);
        Fields f(rates[i], p, {"name", "rate"});
        PollRate r{f.name("name"), f.integer("rate")};
        checked(p, [&] { validate_poll_rate(r); });
        c.poll_rates.push_back(std::move(r));
    }
    const Json& conditions = top.array("conditions");
    for (std::size_t i = 0; i < conditions.size(); ++i) {
        std::string p = "/conditions/" + std::to_string(i);
        Fields f(conditions[i], p, {"name", "descr", "code"});
        Condition cond{f.name("name"), f.text("descr"), f.text("code")};
        checked(p, [&] { validate_condition(cond); });
        c.conditions.push_back(std::move(cond));
    }
    const Json& templates = top.array("templates");
    for (std::size_t i = 0; i < templates.size(); ++i)
        c.templates.push_back(read_template(templates[i], "/templates/" + std::to_string(i), reading));
    if (top.has("history")) c.history = read_history(top.array("history"));
    no_duplicates(c.severities, "/severities");
    no_duplicates(c.poll_rates, "/poll_rates");
    no_duplicates(c.conditions, "/conditions");
    no_duplicates(c.templates, "/templates");
    return c;
}

std::string template_text(const TemplateDef& def) { return template_json(def).dump(); }

TemplateDef template_from_text(const std::string& text) {
    Json j;
    try {
        j = Json::parse(text);
    } catch (const Json::exception& e) {
        throw StoreError(StoreError::Corrupt, std::string("a stored version is not valid JSON: ") + e.what());
    }
    return read_template(j, "", Reading::AsWritten);
}

void import_json(Store& store, const std::string& text, bool with_history) {
    StoreContents c = parse_transfer(text);
    if (!with_history) c.history.clear();
    // Point at the place in the file for what a template names but neither the file nor
    // the store has; the store checks again inside its transaction.
    std::set<std::string> severities, poll_rates, conditions;
    for (const Severity& s : c.severities) severities.insert(s.name);
    for (const PollRate& p : c.poll_rates) poll_rates.insert(p.name);
    for (const Condition& k : c.conditions) conditions.insert(k.name);
    auto need = [](std::set<std::string>& known, bool in_store, const std::string& name, const std::string& pointer,
                   const char* what) {
        if (known.count(name)) return;
        if (!in_store) bad(pointer, std::string("no ") + what + " \"" + name + "\" in the file or the store");
        known.insert(name);
    };
    for (std::size_t i = 0; i < c.templates.size(); ++i) {
        const TemplateDef& t = c.templates[i];
        const std::string p = "/templates/" + std::to_string(i);
        for (std::size_t k = 0; k < t.states.size(); ++k) {
            const State& st = t.states[k];
            const std::string sp = p + "/states/" + std::to_string(k);
            if (!severities.count(st.severity))
                need(severities, store.find_severity(st.severity).has_value(), st.severity, sp + "/severity", "severity");
            if (!poll_rates.count(st.poll_rate))
                need(poll_rates, store.find_poll_rate(st.poll_rate).has_value(), st.poll_rate, sp + "/poll_rate",
                     "poll rate");
        }
        for (std::size_t k = 0; k < t.transitions.size(); ++k) {
            const Transition& tr = t.transitions[k];
            const std::string tp = p + "/transitions/" + std::to_string(k);
            if (!conditions.count(tr.condition))
                need(conditions, store.find_condition(tr.condition).has_value(), tr.condition, tp + "/condition",
                     "condition");
            for (std::size_t a = 0; a < tr.actions.size(); ++a)
                if (tr.actions[a].kind == "CONDITION" && !conditions.count(tr.actions[a].arg0))
                    need(conditions, store.find_condition(tr.actions[a].arg0).has_value(), tr.actions[a].arg0,
                         tp + "/actions/" + std::to_string(a) + "/arg0", "condition");
        }
    }
    store.import_contents(c);
}

}  // namespace varo
