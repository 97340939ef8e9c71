// tarnedit: the request template editor.
#include "base/globals.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    start_up(argc, argv);
    XtAppMainLoop(app_context);  // never returns: the exit callbacks end the process
    return 0;
}
