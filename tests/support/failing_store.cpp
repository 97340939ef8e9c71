// See failing_store.h.
#include "support/failing_store.h"

#include <type_traits>
#include <utility>

namespace testenv {
namespace {
class FailingStore : public varo::Store {
public:
    FailingStore(std::unique_ptr<varo::Store> r, std::shared_ptr<FailSwitch> f) : real(std::move(r)), fail(std::move(f)) {}

    std::string describe() const override { return real->describe(); }
    int schema_version() override { return check().schema_version(); }
    std::vector<varo::TemplateSummary> list_templates() override { return check().list_templates(); }
    std::optional<varo::TemplateDef> load_template(const std::string& n) override { return check().load_template(n); }
    std::int64_t insert_template(const varo::TemplateDef& d, varo::ChangeKind k = varo::ChangeKind::Save) override {
        return write([&](varo::Store& s) { return s.insert_template(d, k); });
    }
    std::int64_t update_template(const varo::TemplateDef& d, std::int64_t v) override {
        return write([&](varo::Store& s) { return s.update_template(d, v); });
    }
    std::int64_t overwrite_template(const varo::TemplateDef& d) override {
        return write([&](varo::Store& s) { return s.overwrite_template(d); });
    }
    void delete_template(const std::string& n) override { write([&](varo::Store& s) { s.delete_template(n); }); }
    std::vector<varo::TemplateVersion> template_history(const std::optional<std::string>& n, bool d) override {
        return check().template_history(n, d);
    }
    std::optional<varo::TemplateDef> template_version(const std::string& n, std::int64_t v) override {
        return check().template_version(n, v);
    }
    std::vector<varo::Severity> list_severities() override { return check().list_severities(); }
    std::optional<varo::Severity> find_severity(const std::string& n) override { return check().find_severity(n); }
    void add_severity(const varo::Severity& v) override { write([&](varo::Store& s) { s.add_severity(v); }); }
    void delete_severity(const std::string& n) override { write([&](varo::Store& s) { s.delete_severity(n); }); }
    void replace_severity(const varo::Severity& v) override { write([&](varo::Store& s) { s.replace_severity(v); }); }
    std::vector<varo::PollRate> list_poll_rates() override { return check().list_poll_rates(); }
    std::optional<varo::PollRate> find_poll_rate(const std::string& n) override { return check().find_poll_rate(n); }
    void add_poll_rate(const varo::PollRate& p) override { write([&](varo::Store& s) { s.add_poll_rate(p); }); }
    void delete_poll_rate(const std::string& n) override { write([&](varo::Store& s) { s.delete_poll_rate(n); }); }
    void replace_poll_rate(const varo::PollRate& p) override { write([&](varo::Store& s) { s.replace_poll_rate(p); }); }
    std::vector<varo::Condition> list_conditions() override { return check().list_conditions(); }
    std::optional<varo::Condition> find_condition(const std::string& n) override { return check().find_condition(n); }
    void add_condition(const varo::Condition& c) override { write([&](varo::Store& s) { s.add_condition(c); }); }
    void delete_condition(const std::string& n) override { write([&](varo::Store& s) { s.delete_condition(n); }); }
    void replace_condition(const varo::Condition& c) override { write([&](varo::Store& s) { s.replace_condition(c); }); }
    std::vector<varo::RunningTemplate> list_running() override { return check().list_running(); }
    void set_running(const std::string& o, const std::string& t) override {
        write([&](varo::Store& s) { s.set_running(o, t); });
    }
    void set_stopped(const std::string& o, const std::string& t) override {
        write([&](varo::Store& s) { s.set_stopped(o, t); });
    }
    void import_contents(const varo::StoreContents& c) override { write([&](varo::Store& s) { s.import_contents(c); }); }
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
    template <class Fn>
    auto write(Fn&& fn) -> decltype(fn(std::declval<varo::Store&>())) {
        ++fail->writes;
        varo::Store& s = check();
        if (fail->refuse_writes) throw varo::StoreError(varo::StoreError::Busy, "the store takes no writes now");
        if constexpr (std::is_void_v<decltype(fn(s))>) {
            fn(s);
            if (fail->after_write) fail->after_write(s);
        } else {
            auto result = fn(s);
            if (fail->after_write) fail->after_write(s);
            return result;
        }
    }
    std::unique_ptr<varo::Store> real;
    std::shared_ptr<FailSwitch> fail;
};
}  // namespace

std::unique_ptr<varo::Store> failing_store(std::unique_ptr<varo::Store> real, std::shared_ptr<FailSwitch> fail) {
    return std::make_unique<FailingStore>(std::move(real), std::move(fail));
}

}  // namespace testenv
