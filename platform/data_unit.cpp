// DataUnit: shared, reference-counted string contents seen through a window (start, len).
#include <cassert>
#include <cstring>

#include "platform/vorn.h"

namespace {
DataUnitContents* make_contents(const char* text, std::size_t length) {
    DataUnitContents* c = new DataUnitContents;
    c->refcount = 1;
    c->head = new char[length + 1];
    std::memcpy(c->head, text, length);
    c->head[length] = '\0';
    c->size = length;
    return c;
}
}  // namespace

DataUnit::DataUnit() : duc(nullptr), start(0), len(0) {}

DataUnit::DataUnit(const char* text) : DataUnit(text, text ? std::strlen(text) : 0) {}

DataUnit::DataUnit(const char* text, std::size_t length) : duc(nullptr), start(0), len(0) {
    if (text && length > 0) {
        duc = make_contents(text, length);
        len = length;
    }
}

DataUnit::DataUnit(const std::string& text) : DataUnit(text.data(), text.size()) {}

DataUnit::DataUnit(const DataUnit& other) : duc(other.duc), start(other.start), len(other.len) {
    if (duc) ++duc->refcount;
}

DataUnit& DataUnit::operator=(const DataUnit& other) {
    if (this != &other) {
        if (other.duc) ++other.duc->refcount;
        release();
        duc = other.duc;
        start = other.start;
        len = other.len;
    }
    return *this;
}

DataUnit::~DataUnit() { release(); }

void DataUnit::release() {
    if (duc && --duc->refcount == 0) {
        delete[] duc->head;
        delete duc;
    }
    duc = nullptr;
}

void DataUnit::make_private() const {
    if (!duc || (start + len == duc->size && start == 0)) return;
    DataUnitContents* own = make_contents(duc->head + start, len);
    const_cast<DataUnit*>(this)->release();
    duc = own;
    start = 0;
}

const char* DataUnit::c_str() const {
    if (!duc) return "";
    make_private();
    assert(start + len == duc->size);
    assert(duc->head[duc->size] == '\0');
    return duc->head + start;
}

DataUnit DataUnit::sub(std::size_t from, std::size_t count) const {
    DataUnit view;
    if (!duc || from >= len) return view;
    if (count > len - from) count = len - from;
    if (count == 0) return view;
    view.duc = duc;
    ++duc->refcount;
    view.start = start + from;
    view.len = count;
    return view;
}

bool DataUnit::operator==(const DataUnit& other) const {
    if (len != other.len) return false;
    if (len == 0) return true;
    return std::memcmp(duc->head + start, other.duc->head + other.start, len) == 0;
}
