// The store's logic, written once over the database layer: every operation, each write in
// one transaction that also records which albums it touches.
#ifndef TARNWRIGHT_VARO_SQL_STORE_H
#define TARNWRIGHT_VARO_SQL_STORE_H

#include <initializer_list>
#include <memory>

#include "varo/db.h"
#include "varo/history.h"
#include "varo/validate.h"

namespace varo {

class SqlStore : public Store {
public:
    // Takes the connection and brings its schema up to date (creating and seeding a fresh store).
    explicit SqlStore(std::unique_ptr<Db> db);

    std::string describe() const override;
    int schema_version() override;

    std::vector<TemplateSummary> list_templates() override;
    std::optional<TemplateSummary> find_template_summary(const std::string& name) override;
    std::optional<TemplateDef> load_template(const std::string& name) override;
    std::int64_t insert_template(const TemplateDef& def, ChangeKind kind = ChangeKind::Save) override;
    std::int64_t update_template(const TemplateDef& def, std::int64_t expected_version) override;
    std::int64_t overwrite_template(const TemplateDef& def) override;
    void delete_template(const std::string& name) override;

    std::vector<TemplateVersion> template_history(const std::optional<std::string>& name, bool deleted_too) override;
    std::optional<TemplateDef> template_version(const std::string& name, std::int64_t version) override;
    std::int64_t restore_template(const std::string& name, std::int64_t version) override;
    std::int64_t prune_history(int keep, bool deleted_too) override;
    std::vector<Activity> activity_log() override;

    std::vector<Severity> list_severities() override;
    std::optional<Severity> find_severity(const std::string& name) override;
    void add_severity(const Severity& s) override;
    void delete_severity(const std::string& name) override;
    std::vector<PollRate> list_poll_rates() override;
    std::optional<PollRate> find_poll_rate(const std::string& name) override;
    void add_poll_rate(const PollRate& p) override;
    void delete_poll_rate(const std::string& name) override;
    std::vector<Condition> list_conditions() override;
    std::vector<Condition> list_condition_summaries() override;
    std::optional<Condition> find_condition(const std::string& name) override;
    void add_condition(const Condition& c) override;
    void delete_condition(const std::string& name) override;
    void replace_severity(const Severity& s) override;
    void replace_poll_rate(const PollRate& p) override;
    void replace_condition(const Condition& c) override;

    std::vector<RunningTemplate> list_running() override;
    void set_running(const std::string& object, const std::string& template_name) override;
    void set_stopped(const std::string& object, const std::string& template_name) override;

    void import_contents(const StoreContents& contents) override;
    void read_consistently(const std::function<void()>& fn) override;
    void backup_to(const std::string& file) override { db_->backup_to(file); }

    Rights rights() override { return db_->rights(); }
    void set_level(const std::string& role, std::optional<Level> level) override;

    ChangeReport poll_changes() override;
    int notification_fd() const override;

    Db& db() { return *db_; }

private:
    // Runs fn in one write transaction that records the given albums as changed; after the
    // commit those albums are reported to this client's next poll.
    template <class Fn>
    auto write(std::initializer_list<Album> albums, Fn&& fn) -> decltype(fn());

    std::string refusal(const std::string& who, std::initializer_list<Album> albums) const;
    std::string bytewise(const std::string& column) const;  // an ORDER BY term
    // A name given for what a table holds: itself when stored so (or in normal form),
    // else its normal form (NFC), so that two spellings of one name find one object.
    std::string stored_name(const char* table, const std::string& name, const char* column = "name");
    // def with its names in normal form and its references as stored_name finds them.
    TemplateDef normalised(const TemplateDef& def, bool new_template);
    static std::vector<Statement> kept_names_query(const std::string& template_name);
    static KeptNames kept_names(const Rows& templates, const Rows& states);
    bool template_exists(const std::string& name);
    Statement running_of(const std::string& name) const;  // the objects it runs on
    static void refuse_running(const std::string& name, const Rows& objects);
    void refuse_running(const std::string& name);
    Statement missing_references(const TemplateDef& def) const;  // (kind, name) not stored
    static void refuse_missing(const TemplateDef& def, const Rows& missing);
    std::vector<Statement> children(const TemplateDef& def, bool replacing) const;
    std::vector<Statement> with_children(Statement first, const TemplateDef& def, bool replacing) const;
    // Overwrite or insert, in a transaction; checked first against the names it keeps.
    std::int64_t store_template(const TemplateDef& def, ChangeKind kind, bool check = false);
    void import_history(const std::vector<VersionRecord>& history);
    std::int64_t first_version(const TemplateDef& def, ChangeKind kind);  // inserts it; returns its version
    void replace_children(const TemplateDef& def, ChangeKind kind);
    Statement logged(const char* album, const std::string& name, const std::string& before, const std::string& after) const;
    void log_change(const char* album, const std::string& name, const std::string& before, const std::string& after);
    void upsert_severity(const Severity& s);
    void upsert_poll_rate(const PollRate& p);
    void upsert_condition(const Condition& c);
    // Refuses as InUse, naming the templates, what the templates users_sql finds name.
    void refuse_used(const std::string& what, const std::string& name, const char* users_sql, int uses);
    void refuse_used_condition(const std::string& name);
    // Deletes the named row of a severity or poll rate no state names (NotFound, InUse).
    void delete_unused(Album album, const char* table, const char* what, const char* column, const std::string& given);

    std::unique_ptr<Db> db_;
    history::Writer who_;
    ChangeReport own_;  // this client's committed writes not yet polled
};

// The template stored under exactly this name as it is, read in one statement; none when
// there is none.
std::optional<TemplateDef> read_stored_template(Db& db, const std::string& name);

}  // namespace varo

#endif
