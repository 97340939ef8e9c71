// See failing_store.h.
#include "support/failing_store.h"

namespace testenv {
namespace {
class FailingStore : public varo::Store {
public:
    FailingStore(std::unique_ptr<varo::Store> r, std::shared_ptr<FailSwitch> f) : real(std::move(r)), fail(std::move(f)) {}

    std::string describe() const override { return real->describe(); }
    int schema_version() override { return check().schema_version(); }
    std::vector<varo::TemplateSummary> list_templates() override { return check().list_templates(); }
    std::optional<varo::TemplateDef> load_template(const std::string& n) override { return check().load_template(n); }
    std::int64_t insert_template(const varo::TemplateDef& d) override { return check().insert_template(d); }
    std::int64_t update_template(const varo::TemplateDef& d, std::int64_t v) override {
        return check().update_template(d, v);
    }
    std::int64_t overwrite_template(const varo::TemplateDef& d) override { return check().overwrite_template(d); }
    void delete_template(const std::string& n) override { check().delete_template(n); }
    std::vector<varo::Severity> list_severities() override { return check().list_severities(); }
    std::optional<varo::Severity> find_severity(const std::string& n) override { return check().find_severity(n); }
    void add_severity(const varo::Severity& s) override { check().add_severity(s); }
    void delete_severity(const std::string& n) override { check().delete_severity(n); }
    std::vector<varo::PollRate> list_poll_rates() override { return check().list_poll_rates(); }
    std::optional<varo::PollRate> find_poll_rate(const std::string& n) override { return check().find_poll_rate(n); }
    void add_poll_rate(const varo::PollRate& p) override { check().add_poll_rate(p); }
    void delete_poll_rate(const std::string& n) override { check().delete_poll_rate(n); }
    std::vector<varo::Condition> list_conditions() override { return check().list_conditions(); }
    std::optional<varo::Condition> find_condition(const std::string& n) override { return check().find_condition(n); }
    void add_condition(const varo::Condition& c) override { check().add_condition(c); }
    void delete_condition(const std::string& n) override { check().delete_condition(n); }
    std::vector<varo::RunningTemplate> list_running() override { return check().list_running(); }
    void set_running(const std::string& o, const std::string& t) override { check().set_running(o, t); }
    void set_stopped(const std::string& o, const std::string& t) override { check().set_stopped(o, t); }
    void import_contents(const varo::StoreContents& c) override { check().import_contents(c); }
    varo::ChangeReport poll_changes() override {
        if (fail->lost && fail->poll_reports) {
            varo::ChangeReport lost;
            lost.disconnected = true;
            return lost;
        }
        return real->poll_changes();
    }

private:
    varo::Store& check() {
        if (fail->lost) throw varo::StoreError(varo::StoreError::Unavailable, "connection to Varo lost");
        if (fail->busy) throw varo::StoreError(varo::StoreError::Busy, "the store is busy");
        return *real;
    }
    std::unique_ptr<varo::Store> real;
    std::shared_ptr<FailSwitch> fail;
};
}  // namespace

std::unique_ptr<varo::Store> failing_store(std::unique_ptr<varo::Store> real, std::shared_ptr<FailSwitch> fail) {
    return std::make_unique<FailingStore>(std::move(real), std::move(fail));
}

}  // namespace testenv
