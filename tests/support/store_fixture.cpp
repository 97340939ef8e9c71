// Fresh stores per test on SQLite and PostgreSQL.
#include "support/store_fixture.h"

#include <filesystem>
#include <stdexcept>

namespace testenv {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varo-test.XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

StoreLocation::StoreLocation(Backend backend) {
    if (backend == Backend::SQLite) {
        dir_ = std::make_unique<TempDir>();
        address_ = "sqlite:" + dir_->path() + "/varo.db";
    } else {
        db_ = std::make_unique<ScratchPgDatabase>();
        address_ = "pg:" + db_->conninfo();
    }
}

void StoreTest::SetUp() {
    if (GetParam() == Backend::PostgreSQL) REQUIRE_POSTGRES();
    location = std::make_unique<StoreLocation>(GetParam());
    store = location->open();
}

void StoreTest::TearDown() {
    store.reset();
    location.reset();
}

varo::TemplateDef sample_template(const std::string& name, int states) {
    varo::TemplateDef def;
    def.name = name;
    def.descr = "Watches one interface";
    const char* severities[] = {"Normal", "Minor", "Major", "Critical"};
    for (int i = 0; i < states; ++i)
        def.states.push_back({i == 0 ? "Ground" : "S" + std::to_string(i), "state " + std::to_string(i),
                              severities[i % 4], i % 2 ? "Poll" : "default_rate"});
    for (int i = 0; i + 1 < states; ++i) {
        varo::Transition t{def.states[i].name, def.states[i + 1].name, i % 2 ? "HighErrors" : "LinkDown", {}};
        t.actions.push_back({"COMMAND", "\"/usr/bin/logger\"", "\"state " + std::to_string(i + 1) + "\""});
        if (i % 3 == 0) t.actions.push_back({"MAIL", "\"ops@example.org\"", "\"went down\""});
        if (i % 5 == 4) t.actions.push_back({"CONDITION", "LinkDown", ""});
        def.transitions.push_back(t);
    }
    return def;
}

}  // namespace testenv
