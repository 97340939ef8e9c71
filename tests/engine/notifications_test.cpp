// Albums, change notifications, the disconnect event and refusals' texts.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "engine_fixture.h"
#include "support/failing_store.h"

using Strings = std::vector<std::string>;

namespace {
int runs[4];
void on_templates(void*, void*) { ++runs[QORI_ALBUM_TEMPLATES]; }
void on_severities(void*, void*) { ++runs[QORI_ALBUM_SEVERITIES]; }
void on_poll_rates(void*, void*) { ++runs[QORI_ALBUM_POLLRATES]; }
void on_conditions(void*, void*) { ++runs[QORI_ALBUM_CONDITIONS]; }
int disconnects;
void on_disconnect(void*, void*) { ++disconnects; }

void register_all() {
    std::memset(runs, 0, sizeof runs);
    disconnects = 0;
    SchedContext here = SchedContext::current();
    DataUnit empty;
    qorPollRateContainer(empty).add_callback(Callback(here, on_poll_rates, nullptr), nullptr);
    qorSeverityContainer(empty).add_callback(Callback(here, on_severities, nullptr), nullptr);
    qorCondContainer(empty).add_callback(Callback(here, on_conditions, nullptr), nullptr);
    qorDefnContainer(empty).add_callback(Callback(here, on_templates, nullptr), nullptr);
    _qor_dimons3g.when(DataUnit("DISCONNECTED"), Callback(here, on_disconnect, nullptr));
}

Strings counts() {
    return {std::to_string(runs[0]), std::to_string(runs[1]), std::to_string(runs[2]), std::to_string(runs[3])};
}
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

TEST_P(EngineTest, LostConnectionFailsTheCallAndRaisesDisconnectedOnce) {
    auto fail = std::make_shared<testenv::FailSwitch>();
    ASSERT_TRUE(qori_attach_store(testenv::failing_store(varo::open_store(address), fail)));
    register_all();
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

    // A store that reports the loss itself, with no failed call first.
    fail->lost = false;
    ASSERT_TRUE(qori_attach_store(testenv::failing_store(varo::open_store(address), fail)));
    fail->lost = fail->poll_reports = true;
    dispatch_recursive(0);
    EXPECT_EQ(disconnects, 2);
}

TEST_P(EngineTest, ABusyStoreRefusesTheCallButStaysConnected) {
    auto fail = std::make_shared<testenv::FailSwitch>();
    ASSERT_TRUE(qori_attach_store(testenv::failing_store(varo::open_store(address), fail)));
    register_all();
    fail->busy = true;
    EXPECT_FALSE(qori_severity_add("Locked", 2, "red"));
    EXPECT_EQ(qori_error_kind, QORI_REFUSED_BUSY);
    EXPECT_TRUE(qori_connected());
    fail->busy = false;
    dispatch_recursive(0);
    EXPECT_EQ(disconnects, 0);

    other_client()->add_poll_rate({"Later", 7});
    for (int i = 0; i < 300 && runs[QORI_ALBUM_POLLRATES] == 0; ++i) {
        dispatch_recursive(0);
        if (runs[QORI_ALBUM_POLLRATES] == 0) usleep(10000);
    }
    EXPECT_EQ(runs[QORI_ALBUM_POLLRATES], 1) << "others' changes are still heard";
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
    // A folder that cannot exist: its parent is a plain file.
    testenv::TempDir dir;
    std::string file = dir.path() + "/plain";
    fclose(fopen(file.c_str(), "w"));
    setenv("VARO_STORE", ("sqlite:" + file + "/varo.db").c_str(), 1);
    EXPECT_FALSE(qori_init(""));
    EXPECT_GT(std::strlen(qori_error_str), 0u);
}
