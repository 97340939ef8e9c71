// The diagram's model: placement, hit test, label position, ownership and selections.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagram/diagram_object.h"

namespace {

class DiagramModel : public ::testing::Test {
protected:
    void SetUp() override {
        destroy_list();
        reset_layout();
    }
    void TearDown() override { destroy_list(); }
};

TEST_F(DiagramModel, StatesTakeTheTenPositionsAfterAReset) {
    const std::vector<DiagramPoint> expected = {{20, 20},   {150, 150}, {400, 150}, {400, 400}, {150, 400},
                                                {275, 100}, {450, 275}, {275, 450}, {75, 275},  {150, 150}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        DiagramObject* s = create_state_object(("S" + std::to_string(i)).c_str(), "red");
        EXPECT_EQ(expected[i], (DiagramPoint{s->x, s->y})) << "state " << i;
        EXPECT_EQ(StateObject, s->type);
        EXPECT_EQ("None", s->transition);
        EXPECT_EQ("red", s->color);
    }
    EXPECT_EQ(10, num_states);
    EXPECT_EQ((DiagramPoint{10, 10}), layout_slot(-3)) << "a negative count has its own slot";
}

TEST_F(DiagramModel, HitTestIsStrictOnEveryEdge) {
    DiagramObject* s = create_state_object("A", "red");  // square (20, 20)-(70, 70)
    auto hit = [](int x, int y) {
        loc = {x, y};
        return find_object();
    };
    EXPECT_EQ(s, hit(21, 21));
    EXPECT_EQ(s, hit(69, 69)) << "corners outside the circle still hit";
    EXPECT_EQ(nullptr, hit(20, 40));
    EXPECT_EQ(nullptr, hit(70, 40));
    EXPECT_EQ(nullptr, hit(40, 20));
    EXPECT_EQ(nullptr, hit(40, 70));

    reset_layout();
    loc = {200, 200};
    create_state_object("B", "red");
    DiagramObject* t = create_transition_object("B", "A", "c1");
    t->x = 500;
    t->y = 500;  // a label box (500, 500)-(520, 512)
    EXPECT_EQ(t, hit(501, 501));
    EXPECT_EQ(t, hit(519, 511));
    EXPECT_EQ(nullptr, hit(520, 505));
    EXPECT_EQ(nullptr, hit(510, 512));
    EXPECT_EQ(nullptr, hit(500, 505));
}

TEST_F(DiagramModel, TransitionsShareOneObjectPerPairAndNeedTheirFromState) {
    create_state_object("A", "red");
    create_state_object("B", "blue");
    DiagramObject* ab = create_transition_object("A", "B", "c1");
    ASSERT_NE(nullptr, ab);
    EXPECT_EQ((DiagramPoint{45, 45}), (DiagramPoint{ab->x, ab->y})) << "starts at the from-state's centre";
    EXPECT_EQ(ab, find_transition("A", "B"));
    find_transition("A", "B")->set_condition("c2");
    EXPECT_EQ(2, ab->num_conditions);
    EXPECT_EQ((std::vector<std::string>{"c1", "c2"}), ab->conditions);
    EXPECT_EQ(nullptr, find_transition("B", "A"));
    EXPECT_EQ("black", ab->color);

    std::size_t before = object_list.size();
    EXPECT_EQ(nullptr, create_transition_object("Nowhere", "A", "c3"));
    EXPECT_EQ(before, object_list.size());
    EXPECT_NE(nullptr, create_transition_object("A", "Nowhere", "c3")) << "a missing to-state is kept";
    EXPECT_EQ(find_by_name("A")->type, StateObject) << "a state's name finds the state, not its transitions";
}

TEST_F(DiagramModel, LookupsFollowRenamesAndRemovals) {
    DiagramObject* placeholder = create_state_object("NoName", "black");
    DiagramObject* second = create_state_object("NoName", "black");
    EXPECT_EQ(placeholder, find_by_name("NoName")) << "the first in list order";
    placeholder->set_name("Up");
    EXPECT_EQ(placeholder, find_by_name("Up"));
    EXPECT_EQ(second, find_by_name("NoName"));
    DiagramObject* t = create_transition_object("Up", "NoName", "c1");
    t->set_transition("Elsewhere");
    EXPECT_EQ(nullptr, find_transition("Up", "NoName"));
    EXPECT_EQ(t, find_transition("Up", "Elsewhere"));
    object_list.remove(placeholder);
    EXPECT_EQ(t, find_by_name("Up")) << "the state is gone: the first object of that name is its transition";
    EXPECT_EQ(nullptr, find_by_name(nullptr));
}

TEST_F(DiagramModel, ConditionsCountPastNineteenAndNoneEmptiesThem) {
    create_state_object("A", "red");
    DiagramObject* t = create_transition_object("A", "A", "c0");
    for (int i = 1; i < 40; ++i) t->set_condition(("c" + std::to_string(i)).c_str());
    EXPECT_EQ(40, t->num_conditions);
    EXPECT_EQ("c39", t->conditions.back());
    t->set_condition("None");
    EXPECT_EQ(0, t->num_conditions);
    EXPECT_TRUE(t->conditions.empty());
}

TEST_F(DiagramModel, SelectionsNeverDangle) {
    DiagramObject* a = create_state_object("A", "red");
    DiagramObject* b = create_state_object("B", "red");
    first_obj = a;
    second_obj = b;
    EXPECT_TRUE(object_list.remove(b));
    EXPECT_EQ(nullptr, second_obj);
    EXPECT_EQ(a, first_obj);
    EXPECT_FALSE(object_list.remove(b)) << "already gone";
    destroy_list();
    EXPECT_EQ(nullptr, first_obj);
    EXPECT_TRUE(object_list.empty());
}

}  // namespace
