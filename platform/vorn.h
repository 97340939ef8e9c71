// The platform library (vorn): string values, callbacks, the error hook, albums'
// change notifications and the dispatch function, as the editor calls them.
#ifndef TARNWRIGHT_PLATFORM_VORN_H
#define TARNWRIGHT_PLATFORM_VORN_H

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

// Shared contents of a DataUnit. head[size] is always '\0'.
struct DataUnitContents {
    int refcount;
    char* head;
    std::size_t size;
};

// A reference-counted string value. An empty or null source gives the empty value,
// which has no contents and reads as "".
class DataUnit {
public:
    DataUnit();
    DataUnit(const char* text);  // NOLINT: implicit on purpose, as callers pass literals
    DataUnit(const char* text, std::size_t length);
    DataUnit(const std::string& text);  // NOLINT
    DataUnit(const DataUnit& other);
    DataUnit& operator=(const DataUnit& other);
    ~DataUnit();

    // A NUL-terminated view; a partial view is first replaced by a private copy.
    const char* c_str() const;
    operator const char*() const { return c_str(); }  // NOLINT
    std::size_t length() const { return len; }
    bool empty() const { return len == 0; }
    // A view of part of this value sharing its contents (clamped to the value).
    DataUnit sub(std::size_t from, std::size_t count) const;
    std::string str() const { return std::string(c_str(), len); }
    bool operator==(const DataUnit& other) const;
    bool operator!=(const DataUnit& other) const { return !(*this == other); }

private:
    void release();
    void make_private() const;

    mutable DataUnitContents* duc;
    mutable std::size_t start;
    std::size_t len;
};

// Where a callback runs. There is one scheduling context per thread; the editor has one.
class SchedContext {
public:
    static SchedContext current();
    unsigned long id() const { return ident; }
    bool operator==(const SchedContext& o) const { return ident == o.ident; }

private:
    explicit SchedContext(unsigned long i) : ident(i) {}
    unsigned long ident;
};

typedef void (*CallbackProc)(void* client_data, void* call_data);

class Callback {
public:
    Callback(const SchedContext& context, CallbackProc proc, void* client_data);
    void invoke(void* call_data) const;
    const SchedContext& context() const { return ctx; }
    CallbackProc proc() const { return fn; }
    void* client_data() const { return client; }

private:
    SchedContext ctx;
    CallbackProc fn;
    void* client;
};

typedef int ErrorType;

// The library's error record. Whenever the library records an error it calls
// Error::error_entry_callback (when set) with the record.
class Error {
public:
    explicit Error(ErrorType type = 0);
    void reset_error();
    void set_error(int code, const char* text);  // records, then calls the hook
    bool is_error() const { return code_ != 0; }
    int code() const { return code_; }
    const char* text() const { return text_.c_str(); }
    ErrorType type() const { return type_; }

    static int vorn_call_depth;
    static void (*error_entry_callback)(Error*);

private:
    ErrorType type_;
    int code_;
    std::string text_;
};

extern Error error;  // the library's global error record

// A queue of values walked in the order they were put in. deq() on an empty
// queue gives a default (null) value. Entries are values: taking one out frees it.
template <class T>
class QueueImpl {
public:
    void enq(const T& item) { items.push_back(item); }
    T deq() {
        if (items.empty()) return T();
        T front = items.front();
        items.pop_front();
        return front;
    }
    bool empty() const { return items.empty(); }
    std::size_t size() const { return items.size(); }
    void clear() { items.clear(); }

private:
    std::deque<T> items;
};

// The engine's platform object: named events such as "DISCONNECTED".
class Platform {
public:
    // The callback runs (inside dispatch_recursive) when the named event happens.
    void when(const DataUnit& event, const Callback& callback);
    // Library side: an event happened; its callbacks run at the next dispatch.
    void raise(const char* event);
    // Runs the callbacks of every raised event; returns how many ran.
    int run_pending();
    void clear();  // forget every registration (tests, shutdown)

private:
    struct Registration {
        std::string event;
        Callback callback;
    };
    std::vector<Registration> registrations;
    std::vector<std::string> pending;
};

// Runs the pending notifications (album changes, platform events) and returns.
// Never waits. depth is accepted for the callers' sake and must be 0.
void dispatch_recursive(int depth);

#endif
