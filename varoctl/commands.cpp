// The commands of varoctl.
#include "varoctl/commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "diagram/picture/render.h"
#include "diagram/picture/template_scene.h"
#include "analysis/analysis.h"
#include "template/version_diff.h"
#include "varo/file_write.h"
#include "varo/transfer.h"
#include "varoctl/recover.h"
#include "base/utf8.h"

namespace varoctl {

const char* const kUsage =
    "Usage: varoctl [--store STORE] COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  init                               create (and seed) the store\n"
    "  list templates|conditions|severities|pollrates\n"
    "  show template NAME | show condition NAME\n"
    "  add severity NAME VALUE COLOR      VALUE 1 to 32767, COLOR an X colour name\n"
    "  add pollrate NAME RATE             RATE 1 to 32767\n"
    "  add condition NAME DESCR [FILE|-]  condition code from FILE or standard input\n"
    "  delete severity|pollrate|condition|template NAME\n"
    "  run TEMPLATE OBJECT                mark TEMPLATE as running on managed object OBJECT\n"
    "  stop TEMPLATE OBJECT\n"
    "  running                            list the templates running on managed objects\n"
    "  export [--template NAME] [--with-history] [FILE|-]\n"
    "                                     write the store (or one template) as JSON; with\n"
    "                                     every version of its templates (deleted ones too)\n"
    "  import [--with-history] FILE|-     add or replace everything in a JSON file, all or\n"
    "                                     nothing; with the file's versions of the templates\n"
    "                                     this store has no history of\n"
    "  check [--json] [--] [TEMPLATE]     check one template (or all): one finding a line,\n"
    "                                     exit status 1 when any is an error\n"
    "  simulate TEMPLATE COND...          walk TEMPLATE from Ground, one condition a step\n"
    "  used condition|severity|pollrate NAME\n"
    "                                     the templates and states that name it\n"
    "  render TEMPLATE FILE.svg|.png|.pdf draw a template's diagram into a picture file\n"
    "  backup FILE                        a consistent copy of a store file, even in use\n"
    "  recover [FILE [NEWNAME]]           list the editors' recovery journals of the store, or\n"
    "                                     store one as a template (under NEWNAME when given)\n"
    "  grant ROLE read|edit|admin         (PostgreSQL) make ROLE a member of varo_read,\n"
    "                                     varo_edit or varo_admin, and of no other\n"
    "  revoke ROLE                        (PostgreSQL) take ROLE out of all three\n"
    "  history [--deleted] [--json] [TEMPLATE]\n"
    "                                     versions, newest first: version, time, author,\n"
    "                                     host, kind (deleted templates too with --deleted)\n"
    "  diff TEMPLATE V1 [V2]              the text view's lines of version V1 against V2\n"
    "                                     (default: the stored one) as a unified diff\n"
    "  restore TEMPLATE V                 store version V again as the newest version\n"
    "  log [--json]                       changes of severities, poll rates and conditions\n"
    "  prune --keep N [--deleted]         keep the newest N versions of each template;\n"
    "                                     --deleted forgets deleted templates' history\n"
    "\n"
    "Options:\n"
    "  --store STORE  sqlite:PATH, PATH.db, pg:CONNINFO or postgresql://...\n"
    "                 (default: VARO_STORE, else the per-user store file)\n"
    "  --help         this text\n"
    "  --version      the program's version\n"
    "  --             the options end here\n";

std::string printable(const std::string& text) { return terminal_text(text); }

namespace {

struct Shape {
    std::size_t min_args, max_args;  // after the command (and sub-command) words
};

// Command (with its sub-command where it has one) -> accepted argument counts.
const std::map<std::string, Shape>& shapes() {
    static const std::map<std::string, Shape> m = {
        {"init", {0, 0}},
        {"list templates", {0, 0}},
        {"list conditions", {0, 0}},
        {"list severities", {0, 0}},
        {"list pollrates", {0, 0}},
        {"show template", {1, 1}},
        {"show condition", {1, 1}},
        {"add severity", {3, 3}},
        {"add pollrate", {2, 2}},
        {"add condition", {2, 3}},
        {"delete severity", {1, 1}},
        {"delete pollrate", {1, 1}},
        {"delete condition", {1, 1}},
        {"delete template", {1, 1}},
        {"run", {2, 2}},
        {"stop", {2, 2}},
        {"running", {0, 0}},
        {"export", {0, 4}},
        {"import", {1, 2}},
        {"check", {0, 3}},
        {"simulate", {1, 1000000}},
        {"used condition", {1, 1}},
        {"used severity", {1, 1}},
        {"used pollrate", {1, 1}},
        {"render", {2, 2}},
        {"backup", {1, 1}},
        {"recover", {0, 2}},
        {"grant", {2, 2}},
        {"revoke", {1, 1}},
        {"history", {0, 3}},
        {"diff", {2, 3}},
        {"restore", {2, 2}},
        {"log", {0, 1}},
        {"prune", {2, 3}},
    };
    return m;
}

bool has_subcommand(const std::string& command) {
    return command == "list" || command == "show" || command == "add" || command == "delete" || command == "used";
}

// The shape key of args and the arguments after it.
std::pair<std::string, std::vector<std::string>> split(const std::vector<std::string>& args) {
    if (args.empty()) throw UsageError("no command given");
    std::string key = args[0];
    std::size_t skip = 1;
    if (has_subcommand(key)) {
        if (args.size() < 2)
            throw UsageError(key == "used" ? "'used' needs the kind of name: condition, severity or pollrate"
                                           : "'" + key + "' needs what to " + key);
        key += " " + args[1];
        skip = 2;
    }
    auto it = shapes().find(key);
    if (it == shapes().end())
        throw UsageError(skip == 2 ? "unknown kind '" + args[1] + "' for '" + args[0] + "'"
                                   : "unknown command '" + args[0] + "'");
    std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(skip), args.end());
    if (rest.size() < it->second.min_args) throw UsageError("'" + key + "' needs more arguments");
    if (rest.size() > it->second.max_args) throw UsageError("too many arguments for '" + key + "'");
    return {key, rest};
}

int number(const std::string& text, const char* what) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError(std::string(what) + " must be a whole number, not '" + text + "'");
    // A whole number too long for an int is out of range like any other: the store says so.
    std::size_t digits = text.find_first_not_of('0');
    if (digits != std::string::npos && text.size() - digits > 9) return 1000000000;
    return std::stoi(text);
}

struct ExportArgs {
    std::optional<std::string> template_name;
    std::string file = "-";
    bool with_history = false;
};

ExportArgs export_args(const std::vector<std::string>& rest) {
    ExportArgs e;
    bool have_file = false;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == "--template") {
            if (i + 1 >= rest.size()) throw UsageError("--template needs a template name");
            if (e.template_name) throw UsageError("--template given twice");
            e.template_name = rest[++i];
        } else if (rest[i] == "--with-history") {
            if (e.with_history) throw UsageError("--with-history given twice");
            e.with_history = true;
        } else if (have_file) {
            throw UsageError("too many arguments for 'export'");
        } else {
            e.file = rest[i];
            have_file = true;
        }
    }
    return e;
}

std::string read_all(const std::string& file) {
    if (file == "-") return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Failure("cannot read " + file + ": " + std::strerror(errno));
    try {
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) throw Failure("cannot read " + file);
        return text;
    } catch (const std::ios_base::failure&) {
        // A folder opens as a file and fails only at the first read.
        throw Failure("cannot read " + file + ": " + std::strerror(errno));
    }
}

// Writes the whole text or leaves any old file as it was.
void write_all(const std::string& file, const std::string& text, std::ostream& out) {
    if (file == "-") {
        out << text;
        return;
    }
    std::string why;
    if (!varo::write_file_replacing(file, text, &why)) throw Failure("cannot write " + file + ": " + why);
}

void show_template(const varo::TemplateDef& t, std::ostream& out) {
    out << "Template: " << printable(t.name) << " (version " << t.version << ")\n";
    out << "Description: " << printable(t.descr) << "\n";
    for (const varo::State& s : t.states) {
        out << "\nState " << printable(s.name) << ": severity " << printable(s.severity) << ", poll rate "
            << printable(s.poll_rate);
        if (!s.descr.empty()) out << " - " << printable(s.descr);
        out << "\n";
        for (const varo::Transition& tr : t.transitions) {
            if (tr.from != s.name) continue;
            out << "  -> " << printable(tr.to) << " on " << printable(tr.condition) << "\n";
            for (const varo::Action& a : tr.actions) {
                out << "       " << printable(a.kind) << " " << printable(a.arg0);
                if (!a.arg1.empty()) out << " " << printable(a.arg1);
                out << "\n";
            }
        }
    }
}

struct CheckArgs {
    bool json = false;
    std::optional<std::string> template_name;
};

CheckArgs check_args(const std::vector<std::string>& rest) {
    CheckArgs c;
    bool options_ended = false;  // after "--", a name that starts with '-' is a name
    for (const std::string& a : rest) {
        if (options_ended) {
            if (c.template_name) throw UsageError("too many arguments for 'check'");
            c.template_name = a;
        } else if (a == "--") {
            options_ended = true;
        } else if (a == "--json") {
            if (c.json) throw UsageError("--json given twice");
            c.json = true;
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option '" + a + "' for 'check'");
        } else if (c.template_name) {
            throw UsageError("too many arguments for 'check'");
        } else {
            c.template_name = a;
        }
    }
    return c;
}

varo::TemplateDef need_template(varo::Store& store, const std::string& name) {
    auto t = store.load_template(name);
    if (!t) throw varo::StoreError(varo::StoreError::NotFound, "template \"" + name + "\" does not exist");
    return std::move(*t);
}

// One finding a line and a count at the end, or one JSON array. Status 1 when any is an error.
int check(varo::Store& store, const CheckArgs& c, std::ostream& out) {
    namespace an = varo::analysis;
    std::vector<std::string> names;
    if (c.template_name) {
        names.push_back(*c.template_name);
    } else {
        for (const auto& t : store.list_templates()) names.push_back(t.name);
    }
    an::ServerNames server = an::server_names(store);
    std::vector<an::Finding> findings;
    for (const std::string& name : names)
        for (an::Finding& f : an::check(need_template(store, name), server)) findings.push_back(std::move(f));
    if (c.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const an::Finding& f : findings)
            list.push_back({{"template", f.template_name}, {"state", f.state}, {"level", an::level_key(f.level())},
                            {"problem", an::problem_key(f.problem)}, {"text", an::problem_text(f)}});
        // Every character outside ASCII written as \u escapes: no name can reorder the terminal.
        out << list.dump(2, ' ', true) << "\n";
    } else {
        int counts[3] = {0, 0, 0};
        for (const an::Finding& f : findings) {
            out << printable(f.template_name + ": " + (f.state.empty() ? "-" : f.state) + ": " +
                             an::level_text(f.level()) + ": " + an::problem_text(f))
                << "\n";
            ++counts[static_cast<int>(f.level())];
        }
        out << names.size() << (names.size() == 1 ? " template" : " templates") << " checked: " << counts[0]
            << (counts[0] == 1 ? " error, " : " errors, ") << counts[1] << (counts[1] == 1 ? " warning, " : " warnings, ")
            << counts[2] << (counts[2] == 1 ? " note\n" : " notes\n");
    }
    return an::has_errors(findings) ? 1 : 0;
}

varo::Level level(const std::string& word) {
    if (word == "read") return varo::Level::Read;
    if (word == "edit") return varo::Level::Edit;
    if (word == "admin") return varo::Level::Admin;
    throw UsageError("the level must be read, edit or admin, not '" + word + "'");
}

varo::analysis::NameKind name_kind(const std::string& key) {
    if (key == "used severity") return varo::analysis::NameKind::Severity;
    if (key == "used pollrate") return varo::analysis::NameKind::PollRate;
    return varo::analysis::NameKind::Condition;
}

std::string padded(const std::string& s, std::size_t width) {
    return s.size() >= width ? s + " " : s + std::string(width - s.size(), ' ');
}

// The options a reading command takes, and its names (at most max_names).
struct Flags {
    std::set<std::string> given;
    std::vector<std::string> names;
    bool has(const char* flag) const { return given.count(flag) > 0; }
};

Flags flags(const std::string& command, const std::vector<std::string>& rest, std::set<std::string> allowed,
            std::size_t max_names) {
    Flags f;
    for (const std::string& a : rest) {
        if (a.size() > 1 && a[0] == '-') {
            if (!allowed.count(a)) throw UsageError("unknown option '" + a + "' for '" + command + "'");
            if (!f.given.insert(a).second) throw UsageError(a + " given twice");
        } else if (f.names.size() == max_names) {
            throw UsageError("too many arguments for '" + command + "'");
        } else {
            f.names.push_back(a);
        }
    }
    return f;
}

std::int64_t version_number(const std::string& text) {
    if (text.empty() || text.size() > 15 || text.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError("a version must be a whole number, not '" + text + "'");
    return std::stoll(text);
}

// prune --keep N [--deleted]
std::pair<int, bool> prune_args(const std::vector<std::string>& rest) {
    int keep = 0;
    bool deleted = false;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == "--keep" && i + 1 < rest.size() && keep == 0) {
            keep = number(rest[++i], "N");
            if (keep < 1) throw UsageError("--keep needs at least 1");
        } else if (rest[i] == "--deleted" && !deleted) {
            deleted = true;
        } else {
            throw UsageError("'prune' takes --keep N and --deleted, once each");
        }
    }
    if (keep == 0) throw UsageError("'prune' needs --keep N");
    return {keep, deleted};
}

std::string or_dash(const std::string& s) { return s.empty() ? "-" : s; }

void history(varo::Store& store, const Flags& f, std::ostream& out) {
    std::optional<std::string> name;
    if (!f.names.empty()) name = f.names[0];
    auto versions = store.template_history(name, f.has("--deleted"));
    if (name && versions.empty())
        throw varo::StoreError(varo::StoreError::NotFound, "template \"" + *name + "\" has no history");
    if (f.has("--json")) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const varo::TemplateVersion& v : versions)
            list.push_back({{"template", v.template_name}, {"version", v.version}, {"time", v.time},
                            {"author", v.author}, {"host", v.host}, {"kind", v.kind}});
        out << list.dump(2, ' ', true) << "\n";
        return;
    }
    for (const varo::TemplateVersion& v : versions)
        out << (name ? "" : padded(printable(v.template_name), 24)) << padded(std::to_string(v.version), 6) << v.time
            << "  " << padded(printable(or_dash(v.author)), 16) << padded(printable(or_dash(v.host)), 16) << v.kind << "\n";
}

// A version's text-view lines, shown escaped.
std::vector<std::string> version_lines(varo::Store& store, const std::string& name, std::int64_t version) {
    auto def = store.template_version(name, version);
    if (!def)
        throw varo::StoreError(varo::StoreError::NotFound,
                               "template \"" + name + "\" has no version " + std::to_string(version));
    std::vector<std::string> out = lines::text_view_lines(*def);
    for (std::string& l : out) l = printable(l);
    return out;
}

void diff(varo::Store& store, const std::vector<std::string>& rest, std::ostream& out) {
    const std::string& name = rest[0];
    std::int64_t from = version_number(rest[1]), to = 0;
    if (rest.size() > 2) {
        to = version_number(rest[2]);
    } else {
        auto stored = store.load_template(name);
        if (!stored)
            throw varo::StoreError(varo::StoreError::NotFound,
                                   "template \"" + name + "\" is not stored: give the second version too");
        to = stored->version;
    }
    const std::string label = printable(name) + " version ";
    std::string text = lines::unified_diff(version_lines(store, name, from), version_lines(store, name, to),
                                           label + std::to_string(from), label + std::to_string(to));
    // Silence would say the two are the same.
    if (text.empty() && !store.template_version(name, from)->same_content(*store.template_version(name, to)))
        text = "versions " + std::to_string(from) + " and " + std::to_string(to) +
               " differ only in what the text view does not show (descriptions, severities, poll rates, places)\n";
    out << text;
}

nlohmann::ordered_json values_or_null(const std::string& text) {
    return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json::parse(text, nullptr, false);
}

void activity(varo::Store& store, const Flags& f, std::ostream& out) {
    auto log = store.activity_log();
    if (f.has("--json")) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const varo::Activity& a : log)
            list.push_back({{"time", a.time}, {"author", a.author}, {"host", a.host}, {"kind", a.album},
                            {"name", a.name}, {"action", a.action}, {"before", values_or_null(a.before)},
                            {"after", values_or_null(a.after)}});
        out << list.dump(2, ' ', true) << "\n";
        return;
    }
    for (const varo::Activity& a : log) {
        std::string what = a.album + " " + a.name + " " + a.action;
        if (a.action == "changed") what += " from " + a.before + " to " + a.after;
        else what += " " + (a.after.empty() ? a.before : a.after);
        out << a.time << "  " << padded(printable(or_dash(a.author)), 16) << padded(printable(or_dash(a.host)), 16)
            << printable(what) << "\n";
    }
}

}  // namespace

void check_usage(const std::vector<std::string>& args) {
    auto [key, rest] = split(args);
    if (key == "export") export_args(rest);
    if (key == "check") check_args(rest);
    if (key == "history") flags(key, rest, {"--deleted", "--json"}, 1);
    if (key == "log") flags(key, rest, {"--json"}, 0);
    if (key == "import" && flags(key, rest, {"--with-history"}, 1).names.empty())
        throw UsageError("'import' needs a file (or - for standard input)");
    if (key == "prune") prune_args(rest);
    if (key == "diff") {
        for (std::size_t i = 1; i < rest.size(); ++i) version_number(rest[i]);
    }
    if (key == "restore") version_number(rest[1]);
    if (key == "add severity") number(rest[1], "VALUE");
    if (key == "add pollrate") number(rest[1], "RATE");
    if (key == "grant") level(rest[1]);
    if (key == "backup" && rest[0] == "-") throw UsageError("'backup' writes a file, not standard output");
    if (key == "render" && !picture::format_for(rest[1]))
        throw UsageError("the picture's name must end in .svg, .png or .pdf, not '" + rest[1] + "'");
}

int run(const std::vector<std::string>& args, const std::function<std::unique_ptr<varo::Store>()>& open_store,
        std::ostream& out) {
    auto [key, rest] = split(args);
    if (key == "export") {
        ExportArgs e = export_args(rest);
        auto store = open_store();
        write_all(e.file, varo::export_json(*store, e.template_name, e.with_history), out);
        return 0;
    }
    if (key == "import") {
        Flags f = flags(key, rest, {"--with-history"}, 1);
        const std::string& file = f.names.at(0);
        std::string text = read_all(file);
        auto store = open_store();
        try {
            varo::import_json(*store, text, f.has("--with-history"));
        } catch (const varo::StoreError& e) {
            throw varo::StoreError(e.kind(), (file == "-" ? "standard input" : file) + ": " + e.what());
        }
        return 0;
    }
    if (key == "render") {
        auto store = open_store();
        auto t = store->load_template(rest[0]);
        if (!t) throw varo::StoreError(varo::StoreError::NotFound, "template \"" + rest[0] + "\" does not exist");
        std::map<std::string, std::string> colours;
        for (const varo::Severity& s : store->list_severities()) colours[s.name] = s.color;
        DiagramFonts fonts(DIAGRAM_FONT);
        try {
            picture::export_picture(picture::template_scene(*t, colours), fonts, rest[1]);
        } catch (const std::runtime_error& e) {
            throw Failure("cannot draw " + rest[1] + ": " + e.what());
        }
        return 0;
    }
    if (key == "add condition") {
        std::string code = read_all(rest.size() > 2 ? rest[2] : "-");
        open_store()->add_condition({rest[0], rest[1], code});
        return 0;
    }

    auto store = open_store();
    if (key == "check") return check(*store, check_args(rest), out);
    if (key == "history") return history(*store, flags(key, rest, {"--deleted", "--json"}, 1), out), 0;
    if (key == "log") return activity(*store, flags(key, rest, {"--json"}, 0), out), 0;
    if (key == "diff") return diff(*store, rest, out), 0;
    if (key == "restore") {
        std::int64_t version = store->restore_template(rest[0], version_number(rest[1]));
        out << "template " << printable(rest[0]) << " version " << rest[1] << " restored as version " << version << "\n";
        return 0;
    }
    if (key == "prune") {
        auto [keep, deleted] = prune_args(rest);
        std::int64_t removed = store->prune_history(keep, deleted);
        out << removed << (removed == 1 ? " version" : " versions") << " removed\n";
        return 0;
    }
    if (key == "simulate") {
        varo::TemplateDef def = need_template(*store, rest[0]);
        auto sim = varo::analysis::simulate(def, std::vector<std::string>(rest.begin() + 1, rest.end()));
        if (!sim.has_ground)
            throw varo::StoreError(varo::StoreError::NotFound, "template \"" + rest[0] + "\" has no state named Ground");
        for (const std::string& line : varo::analysis::simulation_lines(sim)) out << printable(line) << "\n";
        return 0;
    }
    if (key.rfind("used ", 0) == 0) {
        for (const auto& use : varo::analysis::find_uses(*store, name_kind(key), rest[0]))
            out << printable(varo::analysis::use_line(use)) << "\n";
        return 0;
    }
    if (key == "recover") {
        recover(*store, rest, out);
    } else if (key == "backup") {
        store->backup_to(rest[0]);
    } else if (key == "init") {
        out << "store " << store->describe() << " is ready (schema version " << store->schema_version() << ")\n";
    } else if (key == "list templates") {
        for (const auto& t : store->list_templates()) out << padded(printable(t.name), 24) << printable(t.descr) << "\n";
    } else if (key == "list conditions") {
        for (const auto& c : store->list_conditions()) out << padded(printable(c.name), 24) << printable(c.descr) << "\n";
    } else if (key == "list severities") {
        for (const auto& s : store->list_severities())
            out << padded(printable(s.name), 24) << padded(std::to_string(s.value), 6) << printable(s.color) << "\n";
    } else if (key == "list pollrates") {
        for (const auto& p : store->list_poll_rates()) out << padded(printable(p.name), 24) << p.rate << "\n";
    } else if (key == "show template") {
        auto t = store->load_template(rest[0]);
        if (!t) throw varo::StoreError(varo::StoreError::NotFound, "template \"" + rest[0] + "\" does not exist");
        show_template(*t, out);
    } else if (key == "show condition") {
        auto c = store->find_condition(rest[0]);
        if (!c) throw varo::StoreError(varo::StoreError::NotFound, "condition \"" + rest[0] + "\" does not exist");
        out << "Condition: " << printable(c->name) << "\nDescription: " << printable(c->descr) << "\n\n" << c->code;
        if (!c->code.empty() && c->code.back() != '\n') out << "\n";
    } else if (key == "add severity") {
        store->add_severity({rest[0], number(rest[1], "VALUE"), rest[2]});
    } else if (key == "add pollrate") {
        store->add_poll_rate({rest[0], number(rest[1], "RATE")});
    } else if (key == "delete severity") {
        store->delete_severity(rest[0]);
    } else if (key == "delete pollrate") {
        store->delete_poll_rate(rest[0]);
    } else if (key == "delete condition") {
        store->delete_condition(rest[0]);
    } else if (key == "delete template") {
        store->delete_template(rest[0]);
    } else if (key == "run") {
        store->set_running(rest[1], rest[0]);
    } else if (key == "stop") {
        store->set_stopped(rest[1], rest[0]);
    } else if (key == "grant") {
        store->set_level(rest[0], level(rest[1]));
    } else if (key == "revoke") {
        store->set_level(rest[0], std::nullopt);
    } else if (key == "running") {
        for (const auto& r : store->list_running())
            out << padded(printable(r.object), 24) << printable(r.template_name) << "\n";
    }
    return 0;
}

}  // namespace varoctl
