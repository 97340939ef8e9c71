// The open template's recovery journal.
#include "template/recovery_journal.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>

#include "base/messages.h"
#include "template/template_model.h"

namespace {

std::unique_ptr<varo::JournalWriter> writer;
bool due = false;
bool failure_told = false;
std::chrono::steady_clock::time_point last_write;
long long last_cost_ms = 0;  // how long the last write took

varo::JournalWriter& journal() {
    if (!writer) writer = std::make_unique<varo::JournalWriter>(varo::recovery_folder());
    return *writer;
}

std::string store_name() { return varo::journal_store_name(qori_store_description()); }

std::string host_name() {
    char name[256] = {0};
    return ::gethostname(name, sizeof name - 1) == 0 ? name : "localhost";
}

void write_now();

void write() {
    auto start = std::chrono::steady_clock::now();
    write_now();
    last_write = std::chrono::steady_clock::now();
    last_cost_ms = std::chrono::duration_cast<std::chrono::milliseconds>(last_write - start).count();
}

void write_now() {
    due = false;
    if (!modified || !qor_handle.is_valid()) {
        if (writer) writer->remove();
        return;
    }
    varo::Journal j;
    j.store = store_name();
    j.stored_name = qor_handle.stored_name() ? qor_handle.stored_name() : "";
    j.version = qor_handle.stored_version();
    j.time = static_cast<std::int64_t>(std::time(nullptr));
    j.pid = static_cast<long>(::getpid());
    j.host = host_name();
    j.name_field = template_fields.name;
    j.descr_field = template_fields.descr;
    Qor_Snapshot contents = qori_template_snapshot(qor_handle);
    if (contents.is_valid()) j.contents = *contents.contents();
    j.contents.name = template_name();
    j.contents.descr = qor_handle.descr() ? qor_handle.descr() : "";
    std::string why;
    if (!journal().write(j, &why) && !failure_told) {
        // Said once, on standard error: the editing goes on.
        failure_told = true;
        std::fputs(format_message(msg::JOURNAL_WRITE_FAILED, {why}).c_str(), stderr);
    }
}

}  // namespace

void journal_view(const TemplateChange& change) {
    switch (change.kind) {
    case Change::Album:
    case Change::Rights:
        return;
    case Change::Saved:
        due = false;
        if (writer) writer->remove();
        return;
    case Change::Started:
    case Change::Opened:
    case Change::Reloaded:
        // The working copy the journal held was dropped unsaved; a recovered one is modified.
        due = false;
        if (writer) writer->discard();
        due = modified != 0;
        return;
    case Change::Edited:
    case Change::Restored:
        // Keys typed into the name fields wait for an idle turn; any other edit that finds an
        // earlier one still unwritten (a busy machine gives no idle turn between them) writes
        // now, so the journal is never more than one edit behind.
        if (due && (change.kind == Change::Restored || (change.parts & ~unsigned{EDITED_FIELDS}) != 0))
            write();
        else
            due = true;
        return;
    }
}

int write_journal_when_due() {
    if (!due) return 0;
    // A large template's writes are spaced by four times what one costs: the editor spends at
    // most a fifth of its time on the journal however fast the changes come.
    long long interval = std::max<long long>(JOURNAL_INTERVAL_MS, 4 * last_cost_ms);
    auto since = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - last_write);
    if (since.count() < interval) return static_cast<int>(interval - since.count());
    write();
    return 0;
}

void write_journal_now() {
    if (due) write();
}

void end_journal() {
    if (writer) writer->release();
}

std::string journal_path() { return writer && writer->exists() ? writer->path() : std::string(); }

std::vector<varo::JournalFile> orphan_journals() {
    std::vector<varo::JournalFile> all = varo::list_journals(varo::recovery_folder(), store_name()), gone;
    for (varo::JournalFile& f : all)
        if (f.orphan) gone.push_back(std::move(f));
    return gone;
}
