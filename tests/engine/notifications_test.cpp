// Albums (written to the store at once), change notifications, the disconnect event,
// refusals' texts, and a shared Varo named by -host.
#include <cstring>

#include "engine_fixture.h"
#include "support/failing_store.h"
#include "support/pg_server.h"

using Strings = std::vector<std::string>;

namespace {
int runs[4];
template <int album>
void on(void*, void*) { ++runs[album]; }
void (*const on_severities)(void*, void*) = on<QORI_ALBUM_SEVERITIES>;
int disconnects;
void on_disconnect(void*, void*) { ++disconnects; }

void register_all() {
    std::memset(runs, 0, sizeof runs);
    disconnects = 0;
    SchedContext here = SchedContext::current();
    DataUnit empty;
    qorPollRateContainer(empty).add_callback(Callback(here, on<QORI_ALBUM_POLLRATES>, nullptr), nullptr);
    qorSeverityContainer(empty).add_callback(Callback(here, on_severities, nullptr), nullptr);
    qorCondContainer(empty).add_callback(Callback(here, on<QORI_ALBUM_CONDITIONS>, nullptr), nullptr);
    qorDefnContainer(empty).add_callback(Callback(here, on<QORI_ALBUM_TEMPLATES>, nullptr), nullptr);
    _qor_dimons3g.when(DataUnit("DISCONNECTED"), Callback(here, on_disconnect, nullptr));
}

Strings counts() { return {std::to_string(runs[0]), std::to_string(runs[1]), std::to_string(runs[2]), std::to_string(runs[3])}; }
}  // namespace

TEST_P(EngineTest, DispatchRunsEachChangedAlbumOnceIncludingOwnChanges) {
    register_all();
    dispatch_recursive(0);
    EXPECT_EQ(counts(), Strings({"0", "0", "0", "0"})) << "nothing changed yet";

    ASSERT_TRUE(qori_severity_add("Warm", 7, "pink"));
    ASSERT_TRUE(qori_severity_add("Cool", 8, "blue"));
    ASSERT_TRUE(qori_condition_add("Hot", "d", "temperature > 40\n"));
    dispatch_recursive(0);
    EXPECT_EQ(counts(), Strings({"0", "1", "0", "1"}));
    dispatch_recursive(0);
    EXPECT_EQ(counts(), Strings({"0", "1", "0", "1"})) << "callbacks ran again without a change";

    Qor_Defn t = grounded("t");
    dispatch_recursive(0);
    EXPECT_EQ(runs[QORI_ALBUM_TEMPLATES], 0) << "an unsaved working copy is no change";
    ASSERT_TRUE(qori_template_store(t, "t", "d"));
    EXPECT_FALSE(qori_pollrate_add("Poll", 1)) << "a refused write";
    dispatch_recursive(0);
    EXPECT_EQ(counts(), Strings({"1", "1", "0", "1"}));
}

namespace {
int nested_runs;
void register_more(void*, void*) {
    ++nested_runs;
    // Registering and dispatching again from inside a callback.
    qorSeverityContainer(DataUnit()).add_callback(Callback(SchedContext::current(), on_severities, nullptr), nullptr);
    qori_severity_add("Inner", 3, "red");
    dispatch_recursive(0);
}
}  // namespace

TEST_P(EngineTest, CallbacksMayRegisterAndDispatchAgain) {
    std::memset(runs, 0, sizeof runs);
    nested_runs = 0;
    qorSeverityContainer(DataUnit()).add_callback(Callback(SchedContext::current(), register_more, nullptr), nullptr);
    ASSERT_TRUE(qori_severity_add("Outer", 2, "red"));
    dispatch_recursive(0);
    // The outer run registered one more; the inner dispatch ran both for "Inner", and
    // the second run of register_more (inner) registered another and added nothing new.
    EXPECT_EQ(nested_runs, 2);
    EXPECT_EQ(runs[QORI_ALBUM_SEVERITIES], 1);
    dispatch_recursive(0);
    EXPECT_EQ(nested_runs, 2);
}

// A busy store refuses the call and stays connected; a lost one fails it and raises
// DISCONNECTED once, as does a store that reports the loss itself.
TEST_P(EngineTest, BusyStoresRefuseTheCallAndLostOnesRaiseDisconnectedOnce) {
    auto fail = std::make_shared<testenv::FailSwitch>();
    ASSERT_TRUE(qori_attach_store(testenv::failing_store(varo::open_store(address), fail)));
    register_all();
    fail->busy = true;
    EXPECT_FALSE(qori_severity_add("Locked", 2, "red"));
    EXPECT_EQ(qori_error_kind, QORI_REFUSED_BUSY);
    EXPECT_TRUE(qori_connected());
    fail->busy = false;
    other_client()->add_poll_rate({"Later", 7});
    testenv::poll_until(3, 10, [] { return dispatch_recursive(0), runs[QORI_ALBUM_POLLRATES] > 0; });
    EXPECT_EQ(runs[QORI_ALBUM_POLLRATES], 1) << "others' changes are still heard";
    EXPECT_EQ(disconnects, 0);

    ASSERT_TRUE(qori_severity_add("Before", 2, "red"));
    fail->lost = true;
    EXPECT_FALSE(qori_severity_add("After", 3, "red"));
    EXPECT_FALSE(qori_connected());
    DataElemQueue q;
    qorSeverityContainer(DataUnit()).get_all(q);
    EXPECT_TRUE(q.empty()) << "a failed read appends nothing";
    dispatch_recursive(0);
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(runs[QORI_ALBUM_SEVERITIES], 1) << "the change made before the loss is still told";
    dispatch_recursive(0);
    EXPECT_EQ(disconnects, 1) << "told once";

    fail->lost = false;
    ASSERT_TRUE(qori_attach_store(testenv::failing_store(varo::open_store(address), fail)));
    fail->lost = fail->poll_reports = true;
    dispatch_recursive(0);
    EXPECT_EQ(disconnects, 2);
}

TEST_P(EngineTest, RefusalTextsAreBoundedAndCallTheHook) {
    std::string huge(500, 'n');
    int before = hook_calls;
    EXPECT_FALSE(qorSeverity_Find(huge.c_str()).is_valid());
    EXPECT_LE(std::strlen(qori_error_str), 99u);
    EXPECT_EQ(hook_calls, before + 1);

    // Cut on a character boundary: a name of two-byte characters.
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "\xc3\xa9";
    EXPECT_FALSE(qori_template_create((wide + " x").c_str(), "d").is_valid());
    std::size_t n = std::strlen(qori_error_str);
    ASSERT_GT(n, 0u);
    EXPECT_LE(n, 99u);
    EXPECT_NE(static_cast<unsigned char>(qori_error_str[n - 1]), 0xc3) << "a character cut in half";

    qori_shutdown();
    EXPECT_FALSE(qori_severity_add("x", 1, "red"));
    EXPECT_NE(std::string(qori_error_str).find("Not connected"), std::string::npos);
}

TEST_P(EngineTest, ConditionTextOutlivesItsDeletionAndADispatch) {
    ASSERT_TRUE(qori_condition_add("Hot", "too hot", "temperature > 40\n"));
    char descr[256];
    std::memset(descr, 'x', sizeof descr);
    DataUnit code = qori_condition_get("Hot", descr);
    EXPECT_STREQ(descr, "too hot");
    ASSERT_TRUE(qori_condition_delete("Hot"));
    dispatch_recursive(0);
    EXPECT_STREQ(code.c_str(), "temperature > 40\n");

    EXPECT_TRUE(qori_condition_get("Hot", descr).empty());
    EXPECT_STREQ(descr, "");

    // A description of the longest length fills the buffer exactly, terminated.
    std::string longest(255, 'y');
    ASSERT_TRUE(qori_condition_add("Wordy", longest.c_str(), "temperature > 1\n"));
    std::memset(descr, 'x', sizeof descr);
    qori_condition_get("Wordy", descr);
    EXPECT_EQ(std::string(descr), longest);
}

// -host names the PostgreSQL server, libpq's variables the rest. (A server that goes away:
// the PostgreSQL layer's tests and the ones above; another client's changes: the ones above
// and the two-editor end-to-end tests.)
TEST(SharedVaroHost, HostNamesThePostgreSQLServerAndLibpqsVariablesTheRest) {
    REQUIRE_POSTGRES();
    testenv::ScratchPgDatabase scratch;
    unsetenv("VARO_STORE");
    unsetenv("PGSERVICE");
    unsetenv("PGDATABASE");
    setenv("PGPORT", testenv::conninfo_setting(scratch.conninfo(), "port").c_str(), 1);
    setenv("PGUSER", testenv::conninfo_setting(scratch.conninfo(), "user").c_str(), 1);
    // "127.1" is the loopback address but not a name of this machine: the shared store. (Its
    // default database when PGDATABASE names none: PgSettings' test.)
    setenv("PGDATABASE", scratch.name().c_str(), 1);
    ASSERT_TRUE(qori_init("127.1")) << qori_error_str;
    ASSERT_TRUE(qori_severity_add("Shared", 7, "gold"));
    qori_shutdown();
    auto direct = varo::open_store("pg:" + scratch.conninfo());
    EXPECT_TRUE(direct->find_severity("Shared"));
    unsetenv("PGDATABASE");
}
