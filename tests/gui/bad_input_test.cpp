// Hostile text typed or pasted into every editor window: taken (and stored as the field shows
// it) or refused with the window's own message, the store and the open template untouched.
#include "support/editor_fixture.h"

#include <Xm/Text.h>
#include <Xm/TextF.h>

#include <clocale>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "ui/callbacks.h"
#include "platform/qori.h"
#include "template/template_model.h"
#include "ui/widgets.h"
#include "varo/transfer.h"

namespace {

using Messages = std::vector<std::string>;

struct Hostile {
    const char* what;
    std::string text;
};

const Hostile HOSTILE[] = {
    {"blank", "  \t  "},          {"70 characters", std::string(70, 'n')}, {"printf %n%s", "%n%s%n%s"},
    {"printf width", "%99999d"}, {"not UTF-8", "\xff\xfe\xc3("},         {"SQL", "x'); DROP TABLE templates; --"},
    {"resource star", "*"},      {"resource path", "a.b*c?d"},            {"pasted lines", "first\nsecond"},
    {"pasted NUL", std::string("before\0after", 12)}, {"double quote", "say \"hi\""},
};

class BadInputTest : public EditorTest {
protected:
    // Everything the store and the open template hold.
    std::string snapshot() {
        std::string all = varo::export_json(*other) + "\n--\n";
        const Qor_Snapshot open = qori_template_snapshot(qor_handle);
        for (const varo::State& s : open.contents()->states)
            all += s.name + "|" + s.descr + "|" + s.severity + "|" + s.poll_rate + "\n";
        return all;
    }

    // Runs fill-and-press for each hostile input. A refusal shows only messages that start
    // with one of `known` and changes nothing; an acceptance shows none, and `taken` then
    // checks what was stored.
    void run_table(const std::string& window, const std::vector<std::string>& known,
                   const std::function<void(const std::string&)>& act,
                   const std::function<void(const std::string&)>& taken) {
        for (const Hostile& h : HOSTILE) {
            SCOPED_TRACE(window + ", " + h.what);
            std::string before = snapshot();
            act(h.text);
            std::vector<std::string> shown = gui::answer_all();
            dispatch();
            EXPECT_TRUE(gui::open_dialogs().empty());
            for (const std::string& m : shown) {
                bool ours = false;
                for (const std::string& k : known) ours = ours || m.rfind(k, 0) == 0;
                EXPECT_TRUE(ours) << "unexpected message: " << m;
            }
            if (!shown.empty()) {
                EXPECT_EQ(before, snapshot()) << "a refusal changed something";
                ++refused;
            } else {
                taken(h.text);
                ++accepted;
            }
        }
    }
    int refused = 0, accepted = 0;

    // A window's Add (or Save): each field in turn takes the hostile input; the others hold
    // good values, the name a fresh one when it is not the field under test.
    struct Form {
        std::string window;
        Messages known;
        std::vector<std::pair<Widget*, std::string>> fields;  // the name and its prefix first
        Widget* add;
        std::function<void()> taken;  // what was stored is what the fields show
    };
    void run_form(const Form& form) {
        for (std::size_t hostile = 0; hostile < form.fields.size(); ++hostile)
            run_table(form.window + " " + XtName(*form.fields[hostile].first), form.known,
                      [&](const std::string& s) {
                          modified = 1;  // so that a save has something to store
                          for (std::size_t i = 0; i < form.fields.size(); ++i) {
                              const auto& [field, good] = form.fields[i];
                              paste(*field, i == hostile ? s : i == 0 ? good + std::to_string(++fresh) : good);
                          }
                          gui::press(*form.add);
                      },
                      [&](const std::string&) { form.taken(); });
    }
    int fresh = 0;
};

TEST_F(BadInputTest, StateTransitionAndTemplateFields) {
    store_template({"net", "links", {{"Ground", "start", "Normal", "Poll"}, {"Down", "down", "Critical", "Poll"}},
                    {{"Ground", "Down", "LinkDown", {}}}});
    start_editor("net");
    XtManageChild(state_edit_dialog);
    XtManageChild(te_transition_edit_dialog);
    gui::choose_option(se_severity, "Normal");

    run_form({"state",
              {"White space is not allowed in name.", "Please enter a name.", "Please enter a description.",
               "Adding state failed"},
              {{&se_state_name, "S"}, {&se_description_name, "d"}},
              &state_edit_add_button,
              [] {
                  Qor_State st = qor_handle.find_state(gui::text(se_state_name).c_str());
                  ASSERT_TRUE(st.is_valid()) << gui::text(se_state_name);
                  EXPECT_LE(gui::text(se_state_name).size(), 64u);
                  EXPECT_EQ(gui::text(se_description_name), st.descr());
                  EXPECT_LE(std::string(st.descr()).size(), 256u);
              }});

    // Command and mail operands: taken normalised and quoted, or "Adding Transition Failed"; never
    // with a double quote inside the quotes, where it would end the operand early.
    for (const char* kind : {"COMMAND", "MAIL"}) {
        run_table(std::string("operands of ") + kind, {"Adding Transition Failed"}, [kind](const std::string& s) {
            gui::choose_option(tran_from_state, "Ground");
            gui::choose_option(tran_to_state, "Down");
            gui::choose_option(tran_condition, "LinkDown");
            gui::choose_option(tran_action, kind);
            paste(tran_edit_text1, s + " cmd");  // never empty, so the blank case reaches the engine
            paste(tran_edit_text2, s);
            gui::press(tran_add_button);
        }, [](const std::string& s) { EXPECT_EQ(s.find('"'), std::string::npos) << "taken with a double quote"; });
    }

    // Template name and description, saved.
    run_form({"template",
              {"White space is not allowed in name.", "Please enter a name.", "Please enter a description.",
               "Please name the template.", "Template", "Save", "Couldn't", "Cannot"},
              {{&main_name, "T"}, {&main_description, "d"}},
              &main_save_button,
              [this] {
                  std::string name = gui::text(main_name);
                  if (name.find_first_not_of(" \t") == std::string::npos) return;  // a blank name does nothing
                  auto stored = other->load_template(name);
                  ASSERT_TRUE(stored.has_value()) << name;
                  EXPECT_EQ(gui::text(main_description), stored->descr);
              }});
    EXPECT_GT(refused, 0);
    EXPECT_GT(accepted, 0);
}

TEST_F(BadInputTest, SeverityPollRateAndConditionWindows) {
    start_editor();
    const std::vector<Form> forms = {
        {"severity",
         {"White space is not allowed in name.", "Please enter a name", "Please enter a color.", "Missing",
          "Add Failed", "Adding", "Severity", "Invalid"},
         {{&severity_name, "S"}, {&severity_color, "gold"}, {&severity_value, "5"}},
         &te_severity_add_button,
         [this] {
             // The number filter refuses a paste that is no number: the field keeps one.
             std::string value = gui::text(severity_value);
             EXPECT_EQ(std::string::npos, value.find_first_not_of("0123456789")) << value;
             auto sev = other->find_severity(gui::text(severity_name));
             ASSERT_TRUE(sev.has_value()) << gui::text(severity_name);
             EXPECT_EQ((varo::Severity{sev->name, std::stoi(value), gui::text(severity_color)}), *sev);
         }},
        {"poll rate",
         {"Please enter a name", "Missing", "Add Failed", "Adding", "Poll", "Invalid", "White space"},
         {{&pollrate_name, "R"}, {&pollrate_value, "30"}},
         &te_pollrate_add_button,
         [this] {
             std::string value = gui::text(pollrate_value);
             EXPECT_EQ(std::string::npos, value.find_first_not_of("0123456789")) << value;
             auto rate = other->find_poll_rate(gui::text(pollrate_name));
             ASSERT_TRUE(rate.has_value()) << gui::text(pollrate_name);
             EXPECT_EQ(std::stoi(value), rate->rate);
         }},
        {"condition",
         {"Please enter a name.", "Please enter a description.", "Missing condition code", "Add Condition Error: ",
          "White space is not allowed in name."},
         {{&ct_name_text, "K"}, {&ct_description_text, "d"}, {&ct_condition_code, "a > 1\n"}},
         &ct_add_button,
         [this] {
             auto c = other->find_condition(gui::text(ct_name_text));
             ASSERT_TRUE(c.has_value()) << gui::text(ct_name_text);
             EXPECT_EQ(gui::text(ct_description_text), c->descr);
             EXPECT_EQ(gui::text(ct_condition_code), c->code);
         }},
    };
    for (const Form& form : forms) run_form(form);

    // A megabyte of code, and 30000 nested parentheses: each refused by the checker with its
    // reason (without exhausting the stack), the store unchanged.
    const std::vector<std::pair<std::string, std::string>> oversized = {
        {"# " + std::string(1 << 20, 'x') + "\na > 1\n", "longer than"},
        {std::string(30000, '(') + "a" + std::string(30000, ')'), "nested too deeply"},
    };
    for (const auto& [code, reason] : oversized) {
        std::string before = snapshot();
        paste(ct_name_text, "Big");
        paste(ct_description_text, "d");
        paste(ct_condition_code, code);
        gui::press(ct_add_button);
        std::vector<std::string> shown = gui::answer_all();
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(0u, shown[0].rfind("Add Condition Error: ", 0)) << shown[0];
        EXPECT_NE(std::string::npos, shown[0].find(reason)) << shown[0];
        dispatch();
        EXPECT_EQ(before, snapshot());
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(accepted, 0);
}

// Names are text: every name field refuses a name that hides or reorders text or mixes
// look-alike scripts, with its reason, and takes the two spellings of "Café" as one name.
TEST_F(BadInputTest, NamesThatHideTextOrPassForAnotherAreRefusedInEveryNameField) {
    // A user's UTF-8 locale, as tarnedit's start-up takes it from the environment (the harness
    // has opened the display before any start-up sets it).
    ASSERT_TRUE(std::setlocale(LC_ALL, "C.UTF-8"));
    store_template({"net", "links", {{"Ground", "start", "Normal", "Poll"}}, {}});
    start_editor("net");
    XtManageChild(state_edit_dialog);
    const std::string invisible = "Invisible and control characters are not allowed in name";
    const struct {
        const char* what;
        std::string name, refusal;
    } names[] = {
        {"right-to-left override", "Ro\u202Euter", invisible + " (U+202E)."},
        {"zero-width space", "Rou\u200Bter", invisible + " (U+200B)."},
        {"left-to-right embedding", "\u202ARouter", invisible + " (U+202A)."},
        {"word joiner", "Rou\u2060ter", invisible + " (U+2060)."},
        {"zero-width joiner", "Rou\u200Dter", invisible + " (U+200D)."},
        {"line separator", "Rou\u2028ter", "White space is not allowed in name."},
        {"Cyrillic e among Latin", "Rout\u0435r",
         "A name may not mix look-alike letters of different scripts (Latin with Cyrillic or Greek, say)."},
    };
    // A byte order mark, a Hangul filler or an isolate never reaches a name here: the fields'
    // font has no glyph for them, and the text field drops them as they are pasted.
    // Each field with the rest of its form filled well, and what its window says after the refusal.
    const struct {
        Widget* field;
        Widget* press;
        std::vector<std::pair<Widget*, std::string>> others;
        std::vector<std::string> then;
    } fields[] = {
        {&se_state_name, &state_edit_add_button, {{&se_description_name, "d"}}, {"Please enter a name."}},
        {&severity_name, &te_severity_add_button, {{&severity_value, "5"}, {&severity_color, "gold"}},
         {"Please enter a name."}},
        {&pollrate_name, &te_pollrate_add_button, {{&pollrate_value, "30"}}, {"Please enter a name."}},
        {&ct_name_text, &ct_add_button, {{&ct_description_text, "d"}, {&ct_condition_code, "a > 1\n"}},
         {"Please enter a name."}},
        {&main_name, &main_save_button, {{&main_description, "d"}}, {}},
    };
    const std::string before = snapshot();
    for (const auto& f : fields) {
        for (const auto& n : names) {
            SCOPED_TRACE(std::string(XtName(*f.field)) + ", " + n.what);
            for (const auto& [other, text] : f.others) paste(*other, text);
            paste(*f.field, n.name);
            modified = 1;
            gui::press(*f.press);
            std::vector<std::string> expected = {n.refusal};
            expected.insert(expected.end(), f.then.begin(), f.then.end());
            EXPECT_EQ(expected, gui::answer_all());
            dispatch();
        }
    }
    EXPECT_EQ(before, snapshot()) << "a refusal changed something";

    // "Café" typed decomposed is stored composed; typed composed, it is the same name.
    const std::string composed = "Caf\u00E9", decomposed = "Cafe\u0301";
    paste(severity_name, decomposed);
    paste(severity_value, "5");
    paste(severity_color, "gold");
    gui::press(te_severity_add_button);
    EXPECT_TRUE(gui::answer_all().empty());
    EXPECT_EQ(composed, gui::text(severity_name)) << "written back as stored";
    dispatch();
    ASSERT_TRUE(other->find_severity(composed));
    paste(severity_name, composed);
    gui::press(te_severity_add_button);
    EXPECT_EQ(std::vector<std::string>{"Add Failed: Severity already exists."}, gui::answer_all());
    paste(se_state_name, decomposed);
    paste(se_description_name, "d");
    gui::press(state_edit_add_button);
    EXPECT_TRUE(gui::answer_all().empty());
    paste(se_state_name, composed);
    gui::press(state_edit_add_button);
    EXPECT_EQ(std::vector<std::string>({"Adding state failed"}), gui::answer_all()) << "the state is there already";
    EXPECT_EQ(composed, gui::text(se_state_name));
}

TEST_F(EditorTest, TypingBlanksIntoANameFieldOrANonDigitIntoANumberFieldInsertsNothing) {
    start_editor();
    for (Widget field :
         {main_name, se_state_name, cs_name, severity_name, severity_color, pollrate_name, ct_name_text}) {
        gui::type_text(field, "report");
        for (const char* blank : {" daily", "a\tb", "x\n", "\v", "\f", "a\r"}) gui::insert_text(field, blank);
        EXPECT_EQ("report", gui::text(field)) << XtName(field);
        gui::type_text(field, "two words");
        EXPECT_EQ("report", gui::text(field)) << XtName(field);
    }
    for (Widget field : {severity_value, pollrate_value}) {
        gui::type_text(field, "42");
        for (const char* other : {"7x", "-1", " 1"}) gui::insert_text(field, other);
        EXPECT_EQ("42", gui::text(field)) << XtName(field);
        gui::insert_text(field, "7");
        EXPECT_EQ("427", gui::text(field)) << XtName(field);
    }
}

}  // namespace
