// See engine_fixture.h.
#include "engine_fixture.h"

#include <cstdlib>

int EngineTest::hook_calls = 0;

namespace {
void count_hook(Error* e) {
    ++EngineTest::hook_calls;
    e->reset_error();
}
}  // namespace

VARO_STORE_SUITE(EngineTest);

void EngineTest::SetUp() {
    if (GetParam() == testenv::Backend::PostgreSQL) REQUIRE_POSTGRES();
    location = std::make_unique<testenv::StoreLocation>(GetParam());
    address = location->address();
    setenv("VARO_STORE", address.c_str(), 1);
    hook_calls = 0;
    Error::error_entry_callback = count_hook;
    ASSERT_TRUE(qori_init("")) << qori_error_str;
}

void EngineTest::TearDown() {
    qori_shutdown();  // before the location goes, so that no client holds it
    Error::error_entry_callback = nullptr;
    unsetenv("VARO_STORE");
}

std::unique_ptr<varo::Store> EngineTest::other_client() const { return varo::open_store(address); }

Qor_Defn EngineTest::grounded(const char* name) {
    Qor_Defn t = qori_template_create(name, "test template");
    EXPECT_TRUE(t.is_valid()) << qori_error_str;
    EXPECT_TRUE(qori_state_add(t, "Ground", "Poll", "Normal", "default")) << qori_error_str;
    return t;
}

namespace {
// Each item taken off the queue, as text.
template <class Queue, class Fn>
std::vector<std::string> drain(Queue& q, Fn&& text) {
    std::vector<std::string> out;
    while (!q.empty()) out.push_back(text(q.deq()));
    return out;
}
}  // namespace

std::vector<std::string> state_names(const Qor_Defn& t) {
    Qor_StateQueue q;
    t.get_statesq(q);
    return drain(q, [](const Qor_State& s) { return std::string(s.name()); });
}

std::vector<std::string> transitions_of(const Qor_Defn& t, const char* from) {
    Qor_TransitionQueue q;
    t.find_state("Ground").get_transitionsq(q, from ? t.find_state(from) : Qor_State(), Qor_State());
    return drain(q, [](const Qor_Transition& tr) {
        return std::string(tr.from_state().name()) + ">" + tr.to_state().name() + ":" + tr.name();
    });
}

std::vector<std::string> actions_of(const Qor_Transition& tr) {
    Qor_AInstanceQueue q;
    tr.get_aiq(q);
    return drain(q, [](const Qor_AInstance& a) { return std::string(a.name()) + " " + a.arg(0).str() + " " + a.arg(1).str(); });
}

std::vector<std::string> album_names(QoriAlbumKind kind) {
    DataElemQueue q;
    Qor_GenericAlbum(kind).get_all(q);
    return drain(q, [](const auto& e) { return std::string(e.name()); });
}
