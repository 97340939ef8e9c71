// Opening stores: addresses, folders, schema versions, bad files.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "support/process_runner.h"
#include "support/store_fixture.h"
#include "varo/backends.h"
#include "varo/sqlite_db.h"

using varo::StoreError;

namespace {

StoreError::Kind open_refusal(const std::string& address, std::string* text = nullptr) {
    return testenv::refusal([&] { varo::open_store(address); }, text);
}

TEST(OpenStore, AddressesPickTheBackend) {
    testenv::TempDir dir;
    auto a = varo::open_store("sqlite:" + dir.path() + "/deep/er/a.db");  // parents created
    EXPECT_EQ(a->describe(), "sqlite:" + dir.path() + "/deep/er/a.db");
    auto b = varo::open_store(dir.path() + "/plain.db");
    EXPECT_EQ(b->describe(), "sqlite:" + dir.path() + "/plain.db");
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "/plain.db"));

    EXPECT_EQ(open_refusal("mystery"), StoreError::Unavailable);
    EXPECT_EQ(open_refusal(""), StoreError::Unavailable);
    EXPECT_EQ(open_refusal("sqlite:"), StoreError::Unavailable);
    // A folder where the file should be, and a file where a folder should be.
    std::string text;
    EXPECT_EQ(open_refusal("sqlite:" + dir.path(), &text), StoreError::Unavailable);
    EXPECT_NE(text.find("Is a directory"), std::string::npos) << text;
    std::ofstream(dir.path() + "/file") << "x";
    EXPECT_EQ(open_refusal("sqlite:" + dir.path() + "/file/sub/x.db"), StoreError::Unavailable);
}

// Refused, and left to the byte as they were: junk, and another program's database (which
// must get neither our tables nor a switch to WAL).
TEST(OpenStore, RefusesFilesThatAreNotStores) {
    testenv::TempDir dir;
    std::ofstream(dir.path() + "/junk.db") << std::string(4096, 'j');
    sqlite3* other = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open((dir.path() + "/other.db").c_str(), &other));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "CREATE TABLE people (name TEXT)", nullptr, nullptr, nullptr));
    sqlite3_close(other);
    for (const char* name : {"/junk.db", "/other.db"}) {
        std::string path = dir.path() + name, before = proc::read_file(path), text;
        StoreError::Kind kind = open_refusal(path, &text);
        EXPECT_TRUE(kind == StoreError::Corrupt || kind == StoreError::Unavailable) << text;
        EXPECT_TRUE(proc::read_file(path) == before) << name << " was changed";
    }
}

TEST(OpenStore, BusyStoreRefusesTheWriteNotHung) {
    testenv::TempDir dir;
    std::string path = dir.path() + "/busy.db";
    varo::open_store(path);
    varo::SqliteDb holder(path, 100), waiter(path, 100);
    holder.begin();
    EXPECT_EQ(testenv::refusal([&] { waiter.begin(); }), StoreError::Busy) << "two writers at once";
    holder.rollback();
    waiter.begin();  // free again
    waiter.rollback();
}

// The store is its owner's alone, whatever the umask; an existing one open to others is
// reported on standard error and left as it is.
TEST(OpenStore, NewStoresArePrivateAndWideOnesAreReported) {
    auto mode = [](const std::string& p) {
        struct stat st {};
        return stat(p.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
    };
    for (mode_t mask : {0000, 0022, 0277}) {
        testenv::TempDir dir;
        mode_t old = umask(mask);
        std::string path = dir.path() + "/a/b/varo.db";
        {
            auto store = varo::open_store(path);
            store->add_poll_rate({"Slow", 600});  // the owner can still write
            EXPECT_EQ(mode(dir.path() + "/a"), 0700);
            EXPECT_EQ(mode(dir.path() + "/a/b"), 0700);
            for (const char* suffix : {"", "-wal", "-shm"}) EXPECT_EQ(mode(path + suffix), 0600) << suffix;
        }
        umask(old);
    }
    testenv::TempDir dir;
    std::string path = dir.path() + "/wide.db";
    varo::open_store(path);
    chmod(path.c_str(), 0644);
    testing::internal::CaptureStderr();
    varo::open_store(path);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(path + " can be read or written by other users (mode 0644)"), std::string::npos) << said;
    EXPECT_EQ(mode(path), 0644) << "reported, not changed";
}

// With no home, the default store's folder in /tmp is used only when it is this user's own
// and closed to others: one made first by someone else, opened to others or a link is refused.
TEST(OpenStore, TheFallbackFolderInTmpMustBeTheUsersOwn) {
    const std::string folder = "/tmp/tarnwright-" + std::to_string(getuid());
    const std::string kept = folder + ".kept-by-test";
    std::error_code ec;
    bool had = std::filesystem::exists(folder, ec);
    if (had) std::filesystem::rename(folder, kept);
    for (const char* name : {"VARO_STORE", "XDG_DATA_HOME", "HOME"}) unsetenv(name);  // each test is a process of its own
    testenv::TempDir elsewhere;
    const struct {
        const char* what;
        std::function<void()> make;
        bool taken;
    } cases[] = {
        {"none yet: made private", [] {}, true},
        {"open to others",
         [&] {
             mkdir(folder.c_str(), 0700);
             chmod(folder.c_str(), 0777);
         },
         false},
        {"a link", [&] { std::filesystem::create_directory_symlink(elsewhere.path(), folder); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(folder, ec);
        c.make();
        if (c.taken) {
            EXPECT_EQ(varo::store_address_for_host("localhost"), "sqlite:" + folder + "/varo.db");
            struct stat st {};
            ASSERT_EQ(lstat(folder.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0700u);
        } else {
            std::string text;
            EXPECT_EQ(testenv::refusal([] { varo::store_address_for_host("localhost"); }, &text), StoreError::Unavailable);
            EXPECT_NE(text.find("is not this user's own private folder"), std::string::npos) << text;
        }
    }
    std::filesystem::remove_all(folder, ec);
    if (had) std::filesystem::rename(kept, folder);
}

}  // namespace
