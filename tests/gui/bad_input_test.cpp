// Hostile text typed or pasted into every editor window: each input is either taken (and
// then stored as the field shows it) or refused with one of the window's own messages,
// and a refusal leaves the store and the open template exactly as they were.
#include "support/editor_fixture.h"

#include <Xm/Text.h>
#include <Xm/TextF.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "edit/callbacks.h"
#include "platform/qori.h"
#include "template/template_model.h"
#include "ui/widgets.h"
#include "varo/transfer.h"

namespace {

struct Hostile {
    const char* what;
    std::string text;
};

const std::vector<Hostile>& hostile_inputs() {
    static const std::vector<Hostile> inputs = {
        {"blank", "  \t  "},
        {"70 characters", std::string(70, 'n')},
        {"printf %n%s", "%n%s%n%s"},
        {"printf width", "%99999d"},
        {"not UTF-8", "\xff\xfe\xc3("},
        {"SQL", "x'); DROP TABLE templates; --"},
        {"resource star", "*"},
        {"resource path", "a.b*c?d"},
        {"pasted lines", "first\nsecond"},
        {"pasted NUL", std::string("before\0after", 12)},
    };
    return inputs;
}

std::vector<std::string> template_states() {
    std::vector<std::string> names;
    Qor_StateQueue q;
    if (qor_handle.get_statesq(q))
        for (Qor_State s = q.deq(); s.is_valid(); s = q.deq())
            names.push_back(std::string(s.name()) + "|" + s.descr() + "|" + s.severity() + "|" + s.poll_rate());
    return names;
}

class BadInputTest : public EditorTest {
protected:
    // Everything the store and the open template hold.
    std::string snapshot() { return varo::export_json(*other) + "\n--\n" + join(template_states()); }
    static std::string join(const std::vector<std::string>& lines) {
        std::string all;
        for (const std::string& l : lines) all += l + "\n";
        return all;
    }

    // Runs fill-and-press for each hostile input. A refusal shows only messages that start
    // with one of `known` and changes nothing; an acceptance shows none, and `taken` then
    // checks what was stored.
    void run_table(const std::string& window, const std::vector<std::string>& known,
                   const std::function<void(const std::string&)>& act,
                   const std::function<void(const std::string&)>& taken) {
        for (const Hostile& h : hostile_inputs()) {
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
};

TEST_F(BadInputTest, StateTransitionAndTemplateFields) {
    varo::TemplateDef def;
    def.name = "net";
    def.descr = "links";
    def.states = {{"Ground", "start", "Normal", "Poll"}, {"Down", "down", "Critical", "Poll"}};
    def.transitions = {{"Ground", "Down", "LinkDown", {}}};
    store_template(def);
    start_editor("net");
    XtManageChild(state_edit_dialog);
    XtManageChild(te_transition_edit_dialog);
    gui::choose_option(se_severity, "Normal");

    const std::vector<std::string> state_messages = {"White space is not allowed in name.", "Please enter a name.",
                                                     "Please enter a description.", "Adding state failed"};
    // As a name, then as a description under a good name.
    run_table("state name", state_messages, [](const std::string& s) {
        paste(se_state_name, s);
        paste(se_description_name, "d");
        gui::press(state_edit_add_button);
    }, [](const std::string&) {
        std::string name = gui::text(se_state_name);
        EXPECT_LE(name.size(), 64u);
        EXPECT_TRUE(qor_handle.find_state(name.c_str()).is_valid()) << name;
    });
    int n = 0;
    run_table("state description", state_messages, [&n](const std::string& s) {
        paste(se_state_name, "S" + std::to_string(++n));
        paste(se_description_name, s);
        gui::press(state_edit_add_button);
    }, [](const std::string&) {
        Qor_State st = qor_handle.find_state(gui::text(se_state_name).c_str());
        ASSERT_TRUE(st.is_valid());
        EXPECT_EQ(gui::text(se_description_name), st.descr());
        EXPECT_LE(std::string(st.descr()).size(), 256u);
    });

    // Command and mail operands: taken normalised and quoted, or "Adding Transition Failed".
    for (const char* kind : {"COMMAND", "MAIL"}) {
        run_table(std::string("operands of ") + kind, {"Adding Transition Failed"}, [kind](const std::string& s) {
            gui::choose_option(tran_from_state, "Ground");
            gui::choose_option(tran_to_state, "Down");
            gui::choose_option(tran_condition, "LinkDown");
            gui::choose_option(tran_action, kind);
            paste(tran_edit_text1, s + " cmd");  // never empty, so the blank case reaches the engine
            paste(tran_edit_text2, s);
            gui::press(tran_add_button);
        }, [](const std::string&) {});
    }

    // Template name and description, saved.
    n = 0;
    for (bool as_name : {true, false}) {
        run_table(as_name ? "template name" : "template description",
                  {"White space is not allowed in name.", "Please enter a name.", "Please enter a description.",
                   "Please name the template.", "Template", "Save", "Couldn't", "Cannot"},
                  [&](const std::string& s) {
                      modified = 1;
                      paste(main_name, as_name ? s : "T" + std::to_string(++n));
                      paste(main_description, as_name ? std::string("d") : s);
                      gui::press(main_save_button);
                  },
                  [&](const std::string&) {
                      std::string name = gui::text(main_name);
                      if (name.find_first_not_of(" \t") == std::string::npos) return;  // a blank name does nothing
                      auto stored = other->load_template(name);
                      ASSERT_TRUE(stored.has_value()) << name;
                      EXPECT_EQ(gui::text(main_description), stored->descr);
                  });
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(accepted, 0);
}

TEST_F(BadInputTest, SeverityPollRateAndConditionWindows) {
    start_editor();
    const std::vector<std::string> severity_messages = {
        "White space is not allowed in name.", "Please enter a name", "Please enter a color.", "Missing",
        "Add Failed", "Adding", "Severity", "Invalid"};
    run_table("severity name", severity_messages, [](const std::string& s) {
        paste(severity_name, s);
        paste(severity_value, "5");
        paste(severity_color, "gold");
        gui::press(te_severity_add_button);
    }, [this](const std::string&) { EXPECT_TRUE(other->find_severity(gui::text(severity_name)).has_value()); });
    int n = 0;
    run_table("severity colour", severity_messages, [&n](const std::string& s) {
        paste(severity_name, "C" + std::to_string(++n));
        paste(severity_value, "5");
        paste(severity_color, s);
        gui::press(te_severity_add_button);
    }, [this](const std::string&) {
        auto sev = other->find_severity(gui::text(severity_name));
        ASSERT_TRUE(sev.has_value());
        EXPECT_EQ(gui::text(severity_color), sev->color);
    });
    run_table("severity value", severity_messages, [&n](const std::string& s) {
        paste(severity_name, "V" + std::to_string(++n));
        paste(severity_value, s);
        paste(severity_color, "gold");
        gui::press(te_severity_add_button);
    }, [this](const std::string&) {
        // The number filter refused the paste: the field kept a number, and that was added.
        std::string value = gui::text(severity_value);
        EXPECT_EQ(std::string::npos, value.find_first_not_of("0123456789")) << value;
        auto sev = other->find_severity(gui::text(severity_name));
        ASSERT_TRUE(sev.has_value());
        EXPECT_EQ(std::stoi(value), sev->value);
    });

    const std::vector<std::string> rate_messages = {"Please enter a name", "Missing", "Add Failed", "Adding",
                                                    "Poll", "Invalid", "White space"};
    run_table("poll-rate name", rate_messages, [](const std::string& s) {
        paste(pollrate_name, s);
        paste(pollrate_value, "30");
        gui::press(te_pollrate_add_button);
    }, [this](const std::string&) { EXPECT_TRUE(other->find_poll_rate(gui::text(pollrate_name)).has_value()); });
    run_table("poll-rate value", rate_messages, [&n](const std::string& s) {
        paste(pollrate_name, "R" + std::to_string(++n));
        paste(pollrate_value, s);
        gui::press(te_pollrate_add_button);
    }, [this](const std::string&) {
        std::string value = gui::text(pollrate_value);
        EXPECT_EQ(std::string::npos, value.find_first_not_of("0123456789")) << value;
        auto rate = other->find_poll_rate(gui::text(pollrate_name));
        ASSERT_TRUE(rate.has_value());
        EXPECT_EQ(std::stoi(value), rate->rate);
    });

    const std::vector<std::string> condition_messages = {"Please enter a name.", "Please enter a description.",
                                                         "Missing condition code", "Add Condition Error: ",
                                                         "White space is not allowed in name."};
    auto condition_taken = [this](const std::string&) {
        auto c = other->find_condition(gui::text(ct_name_text));
        ASSERT_TRUE(c.has_value()) << gui::text(ct_name_text);
        EXPECT_EQ(gui::text(ct_description_text), c->descr);
        EXPECT_EQ(gui::text(ct_condition_code), c->code);
    };
    run_table("condition name", condition_messages, [](const std::string& s) {
        paste(ct_name_text, s);
        paste(ct_description_text, "d");
        paste(ct_condition_code, "a > 1\n");
        gui::press(ct_add_button);
    }, condition_taken);
    for (int field = 0; field < 2; ++field) {
        run_table(field ? "condition code" : "condition description", condition_messages,
                  [&n, field](const std::string& s) {
                      paste(ct_name_text, "K" + std::to_string(++n));
                      paste(ct_description_text, field ? std::string("d") : s);
                      paste(ct_condition_code, field ? s : std::string("a > 1\n"));
                      gui::press(ct_add_button);
                  },
                  condition_taken);
    }
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

}  // namespace
