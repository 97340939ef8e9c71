// Scheduling contexts and callbacks: a callback remembers the context it was made in.
#include <atomic>

#include "platform/vorn.h"

SchedContext SchedContext::current() {
    static std::atomic<unsigned long> next_id{1};
    thread_local const unsigned long mine = next_id.fetch_add(1);
    return SchedContext(mine);
}

Callback::Callback(const SchedContext& context, CallbackProc proc, void* client_data)
    : ctx(context), fn(proc), client(client_data) {}

void Callback::invoke(void* call_data) const {
    if (fn) fn(client, call_data);
}
