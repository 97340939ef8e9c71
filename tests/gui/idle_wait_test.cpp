// The main loop's idle wait ends for X input and for news from the store, so neither waits
// behind it.
#include "support/editor_fixture.h"

#include <X11/Xlib.h>

#include <functional>
#include <string>

#include "app/globals.h"
#include "app/main_loop.h"
#include "platform/qori.h"
#include "template/list_items.h"
#include "ui/widgets.h"

namespace {

// An event another X client sends to the main window.
void poke_from_another_client() {
    Display* other_display = XOpenDisplay(DisplayString(display));
    ASSERT_NE(nullptr, other_display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = XtWindow(te_win);
    event.xclient.message_type = XInternAtom(other_display, "TARNWRIGHT_POKE", False);
    event.xclient.format = 32;
    XSendEvent(other_display, XtWindow(te_win), False, NoEventMask, &event);
    XSync(other_display, False);
    XCloseDisplay(other_display);
}

TEST_F(EditorTest, IdleWaitEndsForXInputAndStoreNews) {
    start_editor();
    ASSERT_GE(qori_notification_fd(), 0) << "the embedded store gives a descriptor to wait on";
    // A wait that is not ended early lasts a minute: the reason it ended is what is checked.
    const int long_wait = 60000;
    struct Case {
        const char* what;
        std::function<void()> happen;
        int milliseconds;
        IdleWake expected;
    };
    const Case cases[] = {
        {"nothing", [] {}, 0, IdleWake::Timeout},
        {"another X client's event", poke_from_another_client, long_wait, IdleWake::XInput},
        {"another store client's commit",
         [this] { other->add_condition({"Flapping", "up and down", "ifOperStatus != \"up\"\n"}); }, long_wait,
         IdleWake::StoreNews},
    };
    for (const Case& c : cases) {
        dispatch();  // nothing left over from the case before
        c.happen();
        EXPECT_EQ(static_cast<int>(c.expected), static_cast<int>(idle_wait(c.milliseconds))) << c.what;
    }
    dispatch();
    EXPECT_EQ(3u, list_lines(ct_condition_list).size()) << "the news, once dispatched, reached the list";
    EXPECT_EQ(static_cast<int>(IdleWake::Timeout), static_cast<int>(idle_wait(0))) << "news taken is not news again";
}

}  // namespace
