// The editor's store taken away under it: held locked by another program, deleted, made
// read-only. Each is reported in a dialog, no write is lost unsaid, and nothing is torn.
#include "support/editor_fixture.h"

#include <Xm/TextF.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "edit/callbacks.h"
#include "template/template_model.h"
#include "ui/widgets.h"
#include "varo/transfer.h"

namespace {

std::string store_path() { return std::string(std::getenv("VARO_STORE")).substr(std::strlen("sqlite:")); }

void save_as(const std::string& name) {
    modified = 1;
    XmTextFieldSetString(main_name, const_cast<char*>(name.c_str()));
    XmTextFieldSetString(main_description, const_cast<char*>("d"));
    gui::press(main_save_button);
}

// What SQLite's own check says of the file ("ok" when sound).
std::string integrity(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        sqlite3_busy_timeout(db, 5000);
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return result;
}

// The one message a refused save showed, with its reason.
void expect_save_failed(const std::vector<std::string>& shown, const char* reason) {
    ASSERT_EQ(1u, shown.size()) << ::testing::PrintToString(shown);
    EXPECT_EQ(0u, shown[0].rfind("Save Failed: ", 0)) << shown[0];
    EXPECT_NE(std::string::npos, shown[0].find(reason)) << shown[0];
}

// Whether somebody holds the write lock (a probe that does not wait).
bool write_locked(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc != SQLITE_OK;
}

TEST_F(EditorTest, ASaveAgainstAStoreLockedByAnotherProgramIsRefusedThenTakenOnRetry) {
    start_editor();
    const std::string path = store_path();
    // The sqlite3 shell takes the write lock and keeps it while its input stays open.
    FILE* holder = popen(("exec sqlite3 '" + path + "' >/dev/null 2>&1").c_str(), "w");
    ASSERT_NE(nullptr, holder);
    std::fputs("BEGIN EXCLUSIVE;\nSELECT 1;\n", holder);
    std::fflush(holder);
    for (int i = 0; i < 500 && !write_locked(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(write_locked(path));

    save_as("locked");  // after the store's busy timeout; a hang is the test's time limit
    if (!gui::open_dialogs().empty()) gui::snap(XtParent(gui::open_dialogs().at(0).box), "save_refused_store_busy.png");
    expect_save_failed(gui::answer_all(), "busy");
    EXPECT_EQ("Current Template: Noname...save failed", gui::label(main_message_label));
    EXPECT_EQ(1, modified);

    std::fputs("ROLLBACK;\n.quit\n", holder);
    pclose(holder);
    save_as("locked");
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ("Current Template: locked...save complete", gui::label(main_message_label));
    ASSERT_TRUE(other->load_template("locked").has_value());
    EXPECT_EQ("ok", integrity(path));
}

TEST_F(EditorTest, AStoreDeletedUnderTheEditorRefusesTheSaveThenEndsAsADisconnection) {
    start_editor();
    const std::string path = store_path();
    for (const char* suffix : {"", "-wal", "-shm"}) unlink((path + suffix).c_str());

    // Written into an unlinked file the save would be lost at exit: refused, and said why.
    save_as("gone");
    expect_save_failed(gui::answer_all(), "removed or moved");
    EXPECT_EQ(1, modified);

    // Nobody can share a store that is gone: the idle loop's next look tells the user.
    EXPECT_EXIT(
        {
            dispatch();
            std::vector<std::string> now = gui::answer_all();
            if (now != std::vector<std::string>{"Platform has disconnected"}) std::exit(3);
            std::exit(5);
        },
        ::testing::ExitedWithCode(1), "");
}

TEST_F(EditorTest, AStoreMadeReadOnlyUnderTheEditorRefusesTheSaveUntilItIsWritableAgain) {
    start_editor();
    const std::string path = store_path();
    // The mode alone does not stop a file already open for writing (nor root); where the file
    // system allows it, the files are made immutable too. The shared-memory file is left be:
    // no program survives its map going read-only.
    for (const char* suffix : {"", "-wal", "-shm"}) chmod((path + suffix).c_str(), 0400);
    const std::string files = "'" + path + "' '" + path + "-wal'";
    bool immutable = std::system(("chattr +i " + files + " 2>/dev/null").c_str()) == 0;
    struct Thaw {  // whatever the test's end, the folder can be removed
        std::string files;
        ~Thaw() {
            if (std::system(("chattr -i " + files + " 2>/dev/null").c_str()) != 0) {
            }
        }
    } thaw{files};
    std::string before = integrity(path) + varo::export_json(*other);

    save_as("ro");
    std::vector<std::string> shown = gui::answer_all();
    dispatch();
    EXPECT_TRUE(gui::open_dialogs().empty()) << "still connected";
    if (immutable) {
        expect_save_failed(shown, "cannot be written");
        EXPECT_EQ("Current Template: Noname...save failed", gui::label(main_message_label));
        EXPECT_EQ(before, integrity(path) + varo::export_json(*other));
        ASSERT_EQ(0, std::system(("chattr -i " + files).c_str()));
        save_as("ro");
        shown = gui::answer_all();
    }
    EXPECT_TRUE(shown.empty()) << ::testing::PrintToString(shown);
    EXPECT_EQ("Current Template: ro...save complete", gui::label(main_message_label));
    EXPECT_TRUE(other->load_template("ro").has_value());
    for (const char* suffix : {"", "-wal", "-shm"}) chmod((path + suffix).c_str(), 0600);
    EXPECT_EQ("ok", integrity(path));
}

}  // namespace
