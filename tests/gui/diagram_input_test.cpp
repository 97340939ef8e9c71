// The mouse in the diagram: pointer events go through the drawing area's own translations
// to its input callback; selections, the icons and the popup menu are read back.
#include "support/editor_fixture.h"

#include <X11/Xutil.h>
#include <Xm/DrawingA.h>
#include <Xm/TextF.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/globals.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_popup.h"
#include "diagram/draw_area.h"
#include "template/template_model.h"
#include "template/text_view.h"
#include "ui/widgets.h"

namespace {

// Ground (20, 20) green, Down (150, 150) red, Degraded (400, 150) yellow, Recovering
// (400, 400) orange. Labels: Ground->Down (77, 77), Ground->Degraded (140, 77),
// Degraded->Down (362, 175), Down->Down (215, 215).
varo::TemplateDef watch_template() {
    varo::TemplateDef def;
    def.name = "watch";
    def.descr = "Watches an interface";
    def.states = {{"Ground", "start", "Normal", "Poll"},
                  {"Down", "link is down", "Critical", "default_rate"},
                  {"Degraded", "errors seen", "Minor", "Poll"},
                  {"Recovering", "coming back", "Major", "Poll"}};
    def.transitions = {{"Ground", "Down", "LinkDown", {}},
                       {"Ground", "Down", "HighErrors", {}},
                       {"Ground", "Degraded", "HighErrors", {}},
                       {"Degraded", "Down", "LinkDown", {}},
                       {"Down", "Down", "HighErrors", {}}};
    return def;
}

const DiagramPoint EMPTY = {600, 600};
const DiagramPoint GROUND_DOWN_LABEL = {87, 83};

class DiagramInputTest : public EditorTest {
protected:
    void open_watch() {
        store_template(watch_template());
        start_editor("watch");
        XtPopup(state_diagram_win, XtGrabNone);
        gui::process_events();
    }

    // Where to click: a state's centre, or a point given by name.
    DiagramPoint at(const std::string& target) {
        if (target == "empty") return EMPTY;
        if (target == "label") return GROUND_DOWN_LABEL;
        DiagramObject* s = find_by_name(target.c_str());
        EXPECT_NE(nullptr, s) << target;
        return s ? DiagramPoint{s->x + 25, s->y + 25} : EMPTY;
    }

    void send(int type, unsigned int button, DiagramPoint p) { gui::pointer_event(sd_draw_area, type, button, p.x, p.y); }

    void click(unsigned int button, const std::string& target) {
        DiagramPoint p = at(target);
        send(ButtonPress, button, p);
        send(ButtonRelease, button, p);
    }

    // Button 3 brings the menu up on the press.
    void menu_on(const std::string& target) { send(ButtonPress, 3, at(target)); }

    void choose(const std::string& item) {
        ASSERT_NE(nullptr, popup);
        ASSERT_TRUE(XtIsManaged(popup));
        Widget entry = nullptr;
        for (Widget w : children(popup))
            if (gui::label(w) == item) entry = w;
        ASSERT_NE(nullptr, entry) << item;
        gui::press(entry);
        XtUnmanageChild(popup);
        gui::process_events();
    }

    std::vector<Widget> children(Widget w) {
        WidgetList list = nullptr;
        Cardinal n = 0;
        XtVaGetValues(w, XmNchildren, &list, XmNnumChildren, &n, nullptr);
        return std::vector<Widget>(list, list + n);
    }

    unsigned long pixel_at(DiagramPoint p) { return gui::pixel_at(sd_draw_area, p.x, p.y); }

    unsigned long named(const char* colour) { return gui::named_pixel(sd_draw_area, colour); }

    // Below the name, inside the circle.
    unsigned long state_pixel(const std::string& name) {
        DiagramObject* s = find_by_name(name.c_str());
        return s ? pixel_at({s->x + 25, s->y + 40}) : 0;
    }
};

std::string name_of(const DiagramObject* o) { return o ? o->name : "-"; }

// What a dialog's fields and option menus show.
std::vector<std::string> shown(std::initializer_list<Widget> widgets) {
    std::vector<std::string> texts;
    for (Widget w : widgets) texts.push_back(XmIsTextField(w) ? gui::text(w) : gui::label(w));
    return texts;
}

// The error dialogs up, oldest first (the editor windows are message boxes as well).
std::vector<std::string> errors() {
    std::vector<std::string> texts;
    for (const gui::Dialog& d : gui::open_dialogs())
        if (d.name == "ErrorDialog") texts.push_back(d.message);
    return texts;
}

void close_errors() {
    for (const gui::Dialog& d : gui::open_dialogs())
        if (d.name == "ErrorDialog") gui::press(d.button("OK"));
}

TEST_F(DiagramInputTest, ButtonsOneAndTwoFollowTheSelectionTable) {
    open_watch();
    const std::map<std::string, const char*> severity_colour = {
        {"Ground", "green"}, {"Down", "red"}, {"Degraded", "yellow"}, {"Recovering", "orange"}};
    struct Click {
        unsigned int button;
        const char* target;
    };
    struct Case {
        const char* what;
        std::vector<Click> clicks;
        const char* first;
        const char* second;
        std::set<std::string> white;
    };
    const Case cases[] = {
        {"button 1 selects a state", {{1, "Ground"}}, "Ground", "-", {"Ground"}},
        {"button 1 moves the first selection", {{1, "Ground"}, {1, "Down"}}, "Down", "-", {"Down"}},
        {"button 1 on the first keeps it", {{1, "Ground"}, {1, "Ground"}}, "Ground", "-", {"Ground"}},
        {"button 2 needs a first selection", {{2, "Ground"}}, "-", "-", {}},
        {"button 2 picks the second", {{1, "Ground"}, {2, "Down"}}, "Ground", "Down", {"Ground", "Down"}},
        {"button 2 again lets it go", {{1, "Ground"}, {2, "Down"}, {2, "Down"}}, "Ground", "-", {"Ground"}},
        {"button 2 moves the second", {{1, "Ground"}, {2, "Down"}, {2, "Degraded"}}, "Ground", "Degraded",
         {"Ground", "Degraded"}},
        {"button 2 on the first: one state holds both", {{1, "Ground"}, {2, "Ground"}}, "Ground", "Ground",
         {"Ground"}},
        {"button 2 off the states changes nothing", {{1, "Ground"}, {2, "empty"}}, "Ground", "-", {"Ground"}},
        {"button 1 on empty canvas clears both", {{1, "Ground"}, {2, "Down"}, {1, "empty"}}, "-", "-", {}},
        {"button 1 on a label clears both", {{1, "Ground"}, {2, "Down"}, {1, "label"}}, "-", "-", {}},
        // An object is painted unselected only when neither selection holds it.
        {"button 1 on the second lets the old first go", {{1, "Ground"}, {2, "Down"}, {1, "Down"}}, "Down", "Down",
         {"Down"}},
        {"the second survives button 1 elsewhere", {{1, "Ground"}, {2, "Ground"}, {1, "Down"}}, "Down", "Ground",
         {"Ground", "Down"}},
        {"the first survives losing the second", {{1, "Ground"}, {2, "Ground"}, {2, "Ground"}}, "Ground", "-",
         {"Ground"}},
        {"button 2 on the first, then button 1 elsewhere", {{1, "Ground"}, {2, "Down"}, {2, "Ground"}, {1, "Degraded"}},
         "Degraded", "Ground", {"Ground", "Degraded"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        first_obj = second_obj = nullptr;  // a reload keeps them
        load_template();
        draw_diagram();
        for (const Click& k : c.clicks) click(k.button, k.target);
        EXPECT_EQ(c.first, name_of(first_obj));
        EXPECT_EQ(c.second, name_of(second_obj));
        for (const auto& [state, colour] : severity_colour) {
            SCOPED_TRACE(state);
            bool white = c.white.count(state) > 0;
            EXPECT_EQ(white ? 1 : 0, find_by_name(state.c_str())->selected);
            EXPECT_EQ(named(white ? "white" : colour), state_pixel(state));
        }
    }

    // A selected state stays white when the window is covered and exposed again.
    XClearWindow(display, XtWindow(sd_draw_area));
    XmDrawingAreaCallbackStruct expose = {XmCR_EXPOSE, nullptr, XtWindow(sd_draw_area)};
    XtCallCallbacks(sd_draw_area, XmNexposeCallback, &expose);
    EXPECT_EQ(named("white"), state_pixel("Ground"));
    EXPECT_EQ(named("white"), state_pixel("Degraded"));
    EXPECT_EQ(named("red"), state_pixel("Down"));
}

TEST_F(DiagramInputTest, TransitionIconNeedsTwoSelections) {
    open_watch();
    std::size_t objects = object_list.size();
    gui::press(sd_transition);
    EXPECT_EQ(std::vector<std::string>{"States must be selected to create transitions."}, errors());
    close_errors();
    click(1, "Recovering");
    gui::press(sd_transition);
    EXPECT_EQ(1u, errors().size()) << "one selection is not enough";
    close_errors();
    EXPECT_EQ(objects, object_list.size());

    // Recovering to Ground: a label 0 a quarter of the way from Recovering, and the editor.
    click(2, "Ground");
    gui::press(sd_transition);
    DiagramObject* made = find_transition("Recovering", "Ground");
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(0, made->num_conditions);
    EXPECT_EQ((DiagramPoint{330, 330}), (DiagramPoint{made->x, made->y}));
    EXPECT_TRUE(gui::managed(te_transition_edit_dialog));
    EXPECT_EQ("Recovering", gui::label(tran_from_state_option));
    EXPECT_EQ("Ground", gui::label(tran_to_state_option));
    XtUnmanageChild(te_transition_edit_dialog);  // off the canvas, to read its pixels
    gui::process_events();
    EXPECT_EQ(named("white"), pixel_at({made->x + 3, made->y + 3}));
    gui::press(sd_transition);
    EXPECT_EQ(objects + 1, object_list.size()) << "one label per pair of states";

    // Both selections on Degraded: a loop, its label at Degraded + 65.
    click(1, "Degraded");
    click(2, "Degraded");
    gui::press(sd_transition);
    DiagramObject* loop = find_transition("Degraded", "Degraded");
    ASSERT_NE(nullptr, loop);
    EXPECT_EQ((DiagramPoint{465, 215}), (DiagramPoint{loop->x, loop->y}));
    EXPECT_EQ("Degraded", gui::label(tran_to_state_option));
    XtUnmanageChild(te_transition_edit_dialog);
    gui::process_events();
    EXPECT_EQ(named("white"), pixel_at({467, 217}));
    EXPECT_EQ(named("black"), pixel_at({425 + 50, 175 + 25})) << "the loop's far edge";
}

TEST_F(DiagramInputTest, PopupOffersConfigureAndDescriptionOnObjectsOnly) {
    open_watch();
    menu_on("empty");
    EXPECT_TRUE(!popup || !XtIsManaged(popup)) << "no menu over empty canvas";

    // On a state: its values in the configure-states dialog and in the information window.
    click(1, "Ground");
    click(2, "Degraded");
    menu_on("Down");
    ASSERT_NE(nullptr, popup);
    std::vector<std::string> items;
    for (Widget w : children(popup)) items.push_back(gui::label(w));
    EXPECT_EQ((std::vector<std::string>{"Configure...", "Description..."}), items);
    gui::snap(nullptr, "diagram_selection_popup.png");
    choose("Configure...");
    EXPECT_TRUE(gui::managed(cs_template));
    const std::vector<std::string> down = {"Down", "link is down", "default_rate", "Critical"};
    EXPECT_EQ(down, shown({cs_name, cs_description, cs_pollrate_option, cs_severity_option}));
    menu_on("Down");
    choose("Description...");
    EXPECT_EQ(down, shown({si_name, si_description, si_pollrate, si_severity}));
    EXPECT_EQ(1u, gui::list_items(si_list).size()) << "its self-transition";

    // On a transition label: the editor with the pair, and the conditions of the pair.
    menu_on("label");
    choose("Configure...");
    EXPECT_EQ((std::vector<std::string>{"Ground", "Down"}), shown({tran_from_state_option, tran_to_state_option}));
    EXPECT_EQ(3u, gui::list_items(transition_list).size()) << "every transition leaving Ground";
    menu_on("label");
    choose("Description...");
    EXPECT_EQ((std::vector<std::string>{"Ground", "Down"}), shown({tl_from_state, tl_to_state}));
    EXPECT_EQ(2u, gui::list_items(tl_list).size());

    // A placeholder, placed where the user clicked: the defaults, and no description.
    send(ButtonRelease, 1, {600, 300});
    gui::press(sd_state);
    DiagramObject* placeholder = find_by_name("NoName");
    ASSERT_NE(nullptr, placeholder);
    EXPECT_EQ((DiagramPoint{600, 300}), (DiagramPoint{placeholder->x, placeholder->y}));
    gui::type_text(cs_name, "Typed");
    gui::type_text(cs_description, "typed");
    send(ButtonPress, 3, {625, 325});
    choose("Configure...");
    EXPECT_EQ((std::vector<std::string>{"", "Default", "Poll", "Normal"}),
              shown({cs_name, cs_description, cs_pollrate_option, cs_severity_option}));
    send(ButtonPress, 3, {625, 325});
    choose("Description...");
    EXPECT_EQ(std::vector<std::string>{"State not Configured"}, errors());
    close_errors();

    // A transition without conditions has no description.
    click(1, "Recovering");
    click(2, "Ground");
    gui::press(sd_transition);
    DiagramObject* fresh = find_transition("Recovering", "Ground");
    send(ButtonPress, 3, {fresh->x + 5, fresh->y + 5});
    choose("Description...");
    EXPECT_EQ(std::vector<std::string>{"No Transitions"}, errors());
    close_errors();

    // A real state named NoName is not a placeholder.
    ASSERT_TRUE(qori_state_add(qor_handle, "NoName", "Poll", "Major", "named so"));
    load_template();
    draw_diagram();
    DiagramObject* real = find_by_name("NoName");
    send(ButtonPress, 3, {real->x + 25, real->y + 25});
    choose("Configure...");
    EXPECT_EQ((std::vector<std::string>{"NoName", "named so", "Poll", "Major"}),
              shown({cs_name, cs_description, cs_pollrate_option, cs_severity_option}));

    // The object under the menu is gone by the time an item is chosen: nothing happens.
    XtUnmanageChild(cs_template);
    menu_on("Down");
    destroy_list();
    choose("Configure...");
    EXPECT_FALSE(gui::managed(cs_template));
}

}  // namespace
