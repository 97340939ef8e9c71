// Moving, arranging and exporting the diagram: drags by button 1 with the lines following,
// a click that still selects, positions kept through save, a second client, export and
// import; Arrange and the arrangement of a crowded template on opening; Export Diagram....
#include "support/editor_fixture.h"

#include <Xm/FileSB.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/messages.h"
#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "diagram/picture/scene.h"
#include "template/template_model.h"
#include "ui/widgets.h"
#include "varo/transfer.h"

namespace {

varo::TemplateDef watch_template() {
    varo::TemplateDef def;
    def.name = "watch";
    def.descr = "Watches an interface";
    def.states = {{"Ground", "start", "Normal", "Poll"},    // (20, 20)
                  {"Down", "link down", "Critical", "Poll"},  // (150, 150)
                  {"Degraded", "errors", "Minor", "Poll"}};   // (400, 150)
    def.transitions = {{"Ground", "Down", "LinkDown", {}},
                       {"Down", "Ground", "HighErrors", {}},
                       {"Ground", "Degraded", "HighErrors", {}},
                       {"Down", "Down", "HighErrors", {}}};
    return def;
}

// A template of n states placed by slots only: each leads to the next two of a binary tree
// under Ground, every fifth one back to Ground, and one loop.
varo::TemplateDef crowded_template(const std::string& name, int n) {
    varo::TemplateDef def;
    def.name = name;
    def.descr = "many states";
    const char* severities[] = {"Normal", "Minor", "Major", "Critical"};
    for (int i = 0; i < n; ++i)
        def.states.push_back({i ? "S" + std::to_string(i) : "Ground", "", severities[i % 4], "Poll"});
    for (int i = 0; i < n; ++i) {
        for (int child : {2 * i + 1, 2 * i + 2})
            if (child < n) def.transitions.push_back({def.states[i].name, def.states[child].name, "LinkDown", {}});
        if (i % 5 == 4) def.transitions.push_back({def.states[i].name, "Ground", "HighErrors", {}});
    }
    def.transitions.push_back({"S3", "S3", "HighErrors", {}});
    return def;
}

std::string status() { return gui::label(main_message_label); }

class DiagramMovingTest : public EditorTest {
protected:
    void open(const varo::TemplateDef& def) {
        store_template(def);
        start_editor(def.name);
        XtPopup(state_diagram_win, XtGrabNone);
        gui::process_events();
    }

    void send(int type, unsigned int button, DiagramPoint p) { gui::pointer_event(sd_draw_area, type, button, p.x, p.y); }

    // Button 1 pressed at `from`, moved through `to`, released there.
    void drag(DiagramPoint from, DiagramPoint to) {
        send(ButtonPress, 1, from);
        send(MotionNotify, 1, {(from.x + to.x) / 2, (from.y + to.y) / 2});
        send(MotionNotify, 1, to);
        send(ButtonRelease, 1, to);
    }

    DiagramPoint centre(const char* state) {
        DiagramObject* s = find_state(state);
        EXPECT_NE(nullptr, s) << state;
        return s ? DiagramPoint{s->x + 25, s->y + 25} : DiagramPoint{0, 0};
    }

    DiagramPoint corner(const char* state) {
        DiagramObject* s = find_state(state);
        return s ? DiagramPoint{s->x, s->y} : DiagramPoint{-1, -1};
    }

    unsigned long pixel_at(DiagramPoint p) { return gui::pixel_at(sd_draw_area, p.x, p.y); }

    unsigned long named(const char* colour) { return gui::named_pixel(sd_draw_area, colour); }

    // No two state squares overlap, and every one is on the canvas.
    void expect_apart() {
        std::vector<const DiagramObject*> states;
        for (std::size_t i = 0; i < object_list.size(); ++i)
            if (object_list.at(i)->type == StateObject) states.push_back(object_list.at(i));
        for (std::size_t i = 0; i < states.size(); ++i) {
            EXPECT_TRUE(states[i]->x >= 0 && states[i]->y >= 0 && states[i]->x + 50 <= 3000 && states[i]->y + 50 <= 3000);
            for (std::size_t k = i + 1; k < states.size(); ++k)
                EXPECT_FALSE(picture::squares_overlap({states[i]->x, states[i]->y}, {states[k]->x, states[k]->y}))
                    << states[i]->name << " " << states[k]->name;
        }
    }
};

TEST_F(DiagramMovingTest, ADragMovesAStateAndItsLinesAClickStillSelects) {
    open(watch_template());
    DiagramObject* to_degraded = find_transition("Ground", "Degraded");
    DiagramPoint label_before = {to_degraded->x, to_degraded->y};
    DiagramPoint old_centre = centre("Degraded");

    drag(old_centre, {old_centre.x + 40, old_centre.y + 220});
    EXPECT_EQ((DiagramPoint{440, 370}), corner("Degraded"));
    EXPECT_EQ(named("yellow"), pixel_at({465, 380})) << "painted where it went";
    EXPECT_EQ(named("white"), pixel_at({old_centre.x, old_centre.y - 10})) << "and gone from where it was";
    DiagramObject* moved_label = find_transition("Ground", "Degraded");
    EXPECT_FALSE(label_before == (DiagramPoint{moved_label->x, moved_label->y})) << "its line followed";
    EXPECT_EQ((DiagramPoint{moved_label->x, moved_label->y}), (DiagramPoint{(20 + (20 + 440 + 50) / 2 + 25) / 2,
                                                                          (20 + (20 + 370 + 50) / 2 + 25) / 2}));
    EXPECT_EQ(nullptr, first_obj) << "a drag selects nothing";
    EXPECT_EQ(1, modified);
    EXPECT_EQ("Current Template: watch...modified", status());
    int x = 0, y = 0;
    ASSERT_TRUE(qor_handle.find_state("Degraded").position(&x, &y));
    EXPECT_EQ((DiagramPoint{440, 370}), (DiagramPoint{x, y}));

    // A press and release in place, and one that wanders less than the threshold, select.
    DiagramPoint down = centre("Down");
    send(ButtonPress, 1, down);
    send(ButtonRelease, 1, down);
    EXPECT_EQ(find_state("Down"), first_obj);
    send(ButtonPress, 1, centre("Ground"));
    send(MotionNotify, 1, {centre("Ground").x + 2, centre("Ground").y - 2});
    send(ButtonRelease, 1, {centre("Ground").x + 2, centre("Ground").y - 2});
    EXPECT_EQ(find_state("Ground"), first_obj);
    EXPECT_EQ((DiagramPoint{20, 20}), corner("Ground"));

    // Dragging the selected state keeps it selected and white; the canvas edge stops it.
    drag(centre("Ground"), {-300, -300});
    EXPECT_EQ((DiagramPoint{0, 0}), corner("Ground"));
    EXPECT_EQ(find_state("Ground"), first_obj);
    EXPECT_EQ(named("white"), pixel_at({25, 8}));
}

TEST_F(DiagramMovingTest, PositionsSurviveSaveASecondClientExportAndImport) {
    open(watch_template());
    drag(centre("Down"), {centre("Down").x + 500, centre("Down").y + 40});
    ASSERT_EQ((DiagramPoint{650, 190}), corner("Down"));
    ASSERT_TRUE(gui::press(sd_template_save));
    EXPECT_EQ(0, modified);

    auto stored = other->load_template("watch");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->states[1].position, (varo::StatePosition{650, 190}));
    EXPECT_FALSE(stored->states[0].position) << "Ground was not moved";

    // Through the exchange file into another store and back into this one.
    std::string file = varo::export_json(*other, std::string("watch"));
    auto elsewhere = varo::open_store("sqlite:" + temp_dir() + "/elsewhere.db");
    varo::import_json(*elsewhere, file);
    EXPECT_TRUE(elsewhere->load_template("watch")->same_content(*stored));
    other->delete_template("watch");
    varo::import_json(*other, varo::export_json(*elsewhere, std::string("watch")));

    // Opened again, the state is where it was left.
    new_template();
    copy_bounded(open_template, sizeof open_template, "watch");
    template_open();
    EXPECT_EQ((DiagramPoint{650, 190}), corner("Down"));
    EXPECT_EQ((DiagramPoint{20, 20}), corner("Ground"));
    EXPECT_EQ(0, modified);
}

TEST_F(DiagramMovingTest, ACrowdedTemplateIsArrangedOnOpeningAndByArrange) {
    open(crowded_template("crowded", 20));
    expect_apart();
    EXPECT_EQ(0, modified) << "arranging on opening is no change of the user's";
    EXPECT_FALSE(other->load_template("crowded")->states[3].position);
    DiagramPoint ground = corner("Ground");
    for (std::size_t i = 0; i < object_list.size(); ++i)
        EXPECT_LE(ground.y, object_list.at(i)->y) << "Ground on top";
    XtVaSetValues(state_diagram_win, XmNwidth, 1270, XmNheight, 1010, nullptr);
    gui::process_events();
    draw_diagram();
    gui::snap(nullptr, "diagram_arranged.png");

    // Pile two states up, then Arrange: apart again, and the template is modified.
    drag(centre("S5"), centre("S6"));
    ASSERT_TRUE(gui::press(sd_edit_arrange));
    expect_apart();
    EXPECT_EQ(1, modified);
    EXPECT_EQ("Current Template: crowded...modified", status());
}

TEST_F(DiagramMovingTest, ExportDiagramWritesThePictureItsNameAsksFor) {
    open(watch_template());
    find_state("Ground")->select_object();
    first_obj = find_state("Ground");
    ASSERT_TRUE(gui::press(sd_template_export));
    ASSERT_TRUE(gui::managed(sd_export_dialog));
    Widget name = XmFileSelectionBoxGetChild(sd_export_dialog, XmDIALOG_TEXT);
    Widget ok = XmFileSelectionBoxGetChild(sd_export_dialog, XmDIALOG_OK_BUTTON);

    gui::type_text(name, temp_dir() + "/watch.pdf");
    gui::press(ok);
    gui::Dialog error = gui::only_dialog();
    EXPECT_EQ("Name the picture file with .png or .svg at its end.", error.message);
    gui::press(error.button("OK"));
    ASSERT_TRUE(gui::managed(sd_export_dialog)) << "the name can be put right";

    for (const char* ending : {".png", ".SVG"}) {
        SCOPED_TRACE(ending);
        if (!gui::managed(sd_export_dialog)) gui::press(sd_template_export);
        std::string path = temp_dir() + "/watch" + ending;
        gui::type_text(name, path);
        gui::press(ok);
        EXPECT_FALSE(gui::managed(sd_export_dialog));
        EXPECT_TRUE(gui::open_dialogs().empty());
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        std::string picture = bytes.str();
        if (std::string(ending) == ".png") {
            EXPECT_EQ(0u, picture.rfind("\x89PNG", 0));
        } else {
            EXPECT_NE(picture.find("<text class=\"name\""), std::string::npos);
            EXPECT_EQ(std::string::npos, picture.find("fill=\"#ffffff\"/>\n<text class=\"name\"")) << "no state white";
            EXPECT_NE(picture.find("<circle class=\"state\" cx=\"45\" cy=\"45\" r=\"25\" fill=\"#00ff00\""),
                      std::string::npos) << "the selected Ground in its severity's green";
        }
        EXPECT_EQ("Current Template: watch...diagram exported to " + path, status());
    }

    gui::press(sd_template_export);
    gui::type_text(name, temp_dir() + "/no/such/folder/watch.svg");
    gui::press(ok);
    error = gui::only_dialog();
    EXPECT_EQ(0u, error.message.rfind("Can't export the diagram to " + temp_dir() + "/no/such/folder/watch.svg: "))
        << error.message;
}

}  // namespace
