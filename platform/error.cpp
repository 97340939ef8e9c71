// The library's error record and the hook the program arms at start-up.
#include "platform/vorn.h"

int Error::vorn_call_depth = 0;
void (*Error::error_entry_callback)(Error*) = nullptr;

Error error;

Error::Error(ErrorType type) : type_(type), code_(0) {}

void Error::reset_error() {
    code_ = 0;
    text_.clear();
}

void Error::set_error(int code, const char* text) {
    // A zero code would read as "no error" although one was recorded.
    code_ = code != 0 ? code : -1;
    text_ = text ? text : "";
    // A hook that records another error must not call itself again without end.
    static bool in_hook = false;
    if (error_entry_callback && !in_hook) {
        in_hook = true;
        error_entry_callback(this);
        in_hook = false;
    }
}
