// Fresh stores for the store contract suite, one per test, on each backend: a temporary
// SQLite file, and a new PostgreSQL database on VARO_TEST_PG dropped afterwards.
#ifndef TARNWRIGHT_TESTS_STORE_FIXTURE_H
#define TARNWRIGHT_TESTS_STORE_FIXTURE_H

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "support/pg_server.h"
#include "varo/db.h"
#include "varo/store.h"

namespace testenv {

enum class Backend { SQLite, PostgreSQL };
inline void PrintTo(Backend b, std::ostream* out) { *out << (b == Backend::SQLite ? "SQLite" : "PostgreSQL"); }

// A temporary folder removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A small file system of its own (tmpfs) in a temporary folder, to be filled to the last
// byte; mounting needs root. unavailable() says why it could not be had ("" when it was).
class SmallDisk {
public:
    explicit SmallDisk(unsigned kilobytes = 1024);
    ~SmallDisk();  // unmounts it
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    const std::string& unavailable() const { return why_; }
    const std::string& path() const { return dir_.path(); }
    void fill(unsigned long long leave = 0);  // a file takes every byte left but these
    void unfill();                            // and gives them back
    unsigned long long free_bytes() const;

private:
    TempDir dir_;
    std::string why_;
};

// A place for one fresh store, removed when destroyed.
class StoreLocation {
public:
    explicit StoreLocation(Backend backend);
    const std::string& address() const { return address_; }
    std::unique_ptr<varo::Store> open() const { return varo::open_store(address_); }
    // The bare database under the store, for SQL written by hand as another program would.
    std::unique_ptr<varo::Db> open_db() const;
    const ScratchPgDatabase& pg_database() const { return *db_; }  // PostgreSQL only

private:
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<ScratchPgDatabase> db_;
    std::string address_;
};

// Parameterised over the backends: SetUp skips PostgreSQL when no server is given (fails
// when one is required) and opens `store` on a fresh location.
class StoreTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    void TearDown() override;
    std::unique_ptr<varo::Store> reopen() const { return location->open(); }
    // With the store closed, fn changes the bare database as an older program left it; then reopened.
    void as_left_by(const std::function<void(varo::Db&)>& fn) {
        store.reset();
        fn(*location->open_db());
        store = reopen();
    }

    std::unique_ptr<StoreLocation> location;
    std::unique_ptr<varo::Store> store;
};

// Runs fn and returns the kind of StoreError it threw (fails the test when it threw none);
// its text goes to *text when asked for.
template <class Fn>
varo::StoreError::Kind refusal(Fn&& fn, std::string* text = nullptr) {
    try {
        fn();
    } catch (const varo::StoreError& e) {
        if (text) *text = e.what();
        return e.kind();
    }
    ADD_FAILURE() << "no StoreError thrown";
    return varo::StoreError::Corrupt;
}

// Instantiates a suite parameterised on Backend for both backends.
#define VARO_STORE_SUITE(suite)                                                                                  \
    INSTANTIATE_TEST_SUITE_P(Backends, suite,                                                                    \
                             ::testing::Values(::testenv::Backend::SQLite, ::testenv::Backend::PostgreSQL),      \
                             [](const auto& info) { return ::testing::PrintToString(info.param); })

// Asks done() every step_ms until it says yes or the time is up; its last answer.
template <class Fn>
bool poll_until(double seconds, int step_ms, Fn&& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(step_ms));
    }
}

// A small valid template over the seeded severities, poll rates and conditions.
varo::TemplateDef sample_template(const std::string& name, int states = 3);

}  // namespace testenv

#endif
