// Listing and storing recovery journals.
#include "varoctl/recover.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <ostream>

#include "varo/recovery.h"
#include "varoctl/commands.h"

namespace varoctl {

namespace {

std::string first_word(const std::string& text) {
    std::size_t start = text.find_first_not_of(" \t\n");
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_first_of(" \t\n", start) - start);
}

varo::Journal read_journal(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure("cannot read " + path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        return varo::parse_journal(text);
    } catch (const varo::StoreError& e) {
        throw varo::StoreError(e.kind(), path + ": " + e.what());
    }
}

std::string shown_name(const varo::Journal& j) {
    return j.stored_name.empty() ? first_word(j.name_field) : j.stored_name;
}

}  // namespace

void recover(varo::Store& store, const std::vector<std::string>& args, std::ostream& out) {
    const std::string here = varo::journal_store_name(store.describe());
    const std::string folder = varo::recovery_folder();
    if (args.empty()) {
        for (const varo::JournalFile& f : varo::list_journals(folder, here))
            out << printable(f.path) << "  " << printable(shown_name(f.journal)) << "  "
                << varo::journal_time_text(f.journal.time) << (f.orphan ? "" : "  (its editor is still running)")
                << "\n";
        std::string discarded = varo::discarded_journal_path(folder);
        if (!discarded.empty()) out << printable(discarded) << "  (the last discarded copy)\n";
        return;
    }
    varo::Journal j = read_journal(args[0]);
    if (j.store != here)
        throw varo::StoreError(varo::StoreError::Invalid,
                               args[0] + " holds changes to a template of " + j.store + ", not of " + here);
    bool renamed = args.size() > 1;
    std::string name = renamed ? args[1] : first_word(j.name_field);
    if (name.empty()) name = j.stored_name.empty() ? j.contents.name : j.stored_name;
    if (name == "Noname")
        throw UsageError("the template was never named: give a name, 'varoctl recover " + args[0] + " NEWNAME'");
    varo::TemplateDef def = j.contents;
    def.name = name;
    std::size_t descr = j.descr_field.find_first_not_of(" \t\n");
    if (descr != std::string::npos) def.descr = j.descr_field.substr(descr);
    // In place only over the very version the changes were made to: never over another client's save.
    if (!renamed && !j.stored_name.empty() && name == j.stored_name) {
        try {
            store.update_template(def, j.version);
        } catch (const varo::StoreError& e) {
            if (e.kind() != varo::StoreError::Conflict && e.kind() != varo::StoreError::NotFound) throw;
            throw varo::StoreError(e.kind(), "template \"" + name + "\" was changed or deleted since these changes were "
                                   "made; store them under another name: varoctl recover " + args[0] + " NEWNAME");
        }
    } else {
        store.insert_template(def);
    }
    out << "stored template " << printable(name) << "\n";
    // Stored now: the next editor does not offer it again.
    varo::remove_if_orphaned(args[0]);
}

}  // namespace varoctl
