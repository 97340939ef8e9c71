// The recovery journal's file: its text read back whole, its private modes, and a journal whose
// editor is gone told from one whose editor still runs.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "support/process_runner.h"
#include "support/store_fixture.h"
#include "varo/recovery.h"

TEST(RecoveryJournal, ReadsBackWholePrivateAndOfferedOnlyOnceItsEditorIsGone) {
    testenv::TempDir dir;
    setenv("XDG_STATE_HOME", dir.path().c_str(), 1);
    const std::string folder = varo::recovery_folder();
    ASSERT_EQ(folder, dir.path() + "/tarnwright/recovery");

    varo::Journal j;
    j.store = "sqlite:/x/varo.db";
    j.stored_name = "Router";
    j.version = 7;
    j.time = 1765200000;
    j.pid = 42;
    j.host = "alpha";
    j.name_field = "Router \"new\"\nline";  // typed text is kept as it was, on one header line
    j.descr_field = "  half typed";
    // Names kept from before the naming rules, and an operand stored before a double quote in it
    // was refused, come back as written: a journal its reader refused would lose the work.
    const std::string kept = "Cafe\u0301";
    j.contents = {"Ro\u202Euter", "d",
                  {{"Ground", "default", "Normal", "Poll", varo::StatePosition{20, 20}}, {kept, "u", "Minor", "Poll"}},
                  {{"Ground", kept, "cond", {{"COMMAND", "\"say \"hi\"\"", "\"it\""}, {"CONDITION", "other", ""}}}}};
    {
        varo::JournalWriter writer(folder);
        std::string why;
        ASSERT_TRUE(writer.write(j, &why)) << why;
        struct stat st {};
        ASSERT_EQ(0, stat(folder.c_str(), &st));
        EXPECT_EQ(0700u, st.st_mode & 0777);
        ASSERT_EQ(0, stat(writer.path().c_str(), &st));
        EXPECT_EQ(0600u, st.st_mode & 0777);

        varo::Journal back = varo::parse_journal(proc::read_file(writer.path()));
        EXPECT_TRUE(back.contents.same_content(j.contents));
        EXPECT_EQ(std::make_tuple(back.store, back.stored_name, back.version, back.time, back.pid, back.host,
                                  back.name_field, back.descr_field),
                  std::make_tuple(j.store, j.stored_name, j.version, j.time, j.pid, j.host, j.name_field,
                                  j.descr_field));
        auto live = varo::list_journals(folder, j.store);
        ASSERT_EQ(1u, live.size());
        EXPECT_FALSE(live[0].orphan);
        EXPECT_TRUE(varo::list_journals(folder, "sqlite:/another.db").empty());
    }
    // The writer's lock went with it, as it goes with a process that is killed.
    auto left = varo::list_journals(folder, j.store);
    ASSERT_EQ(1u, left.size());
    EXPECT_TRUE(left[0].orphan);
    EXPECT_TRUE(varo::keep_as_discarded(left[0].path));
    EXPECT_TRUE(varo::list_journals(folder).empty());
    EXPECT_NE("", varo::discarded_journal_path(folder));

    // Cut anywhere, a journal is refused rather than half read.
    std::string text = varo::journal_text(j);
    for (std::size_t cut : {std::size_t{0}, text.find('\n'), text.size() / 2, text.size() - 3})
        EXPECT_THROW(varo::parse_journal(text.substr(0, cut)), varo::StoreError) << cut;
}
