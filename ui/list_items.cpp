#include "ui/list_items.h"

#include <Xm/List.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "template/line_format.h"
#include "ui/xm_string.h"

namespace {
// What a sorted server list was last given here: its lines, and a reference to each of its
// items. Motif's compound strings are shared by count, and a string held here cannot be freed,
// so no other string can take its address: while the list's items are these same strings, it
// holds exactly these lines, whoever else has changed it meanwhile.
struct Shadow {
    std::vector<std::string> lines;
    std::vector<XmString> held;
    void release() {
        for (XmString s : held) XmStringFree(s);
        held.clear();
        lines.clear();
    }
};
std::map<Widget, Shadow> shadows;

std::set<Widget> watched;  // told here when they go

void forget(Widget list) {
    auto found = shadows.find(list);
    if (found == shadows.end()) return;
    found->second.release();
    shadows.erase(found);
}

void list_destroyed(Widget list, XtPointer, XtPointer) {
    forget(list);
    watched.erase(list);
}

XmStringTable items_of(Widget list, int& count) {
    XmStringTable items = nullptr;
    count = 0;
    XtVaGetValues(list, XmNitemCount, &count, XmNitems, &items, nullptr);
    return items;
}

// The list's shadow while the list still holds what it says; null otherwise.
Shadow* valid_shadow(Widget list) {
    auto found = shadows.find(list);
    if (found == shadows.end()) return nullptr;
    int count = 0;
    XmStringTable items = items_of(list, count);
    const std::vector<XmString>& held = found->second.held;
    if (static_cast<std::size_t>(count) != held.size() || !std::equal(held.begin(), held.end(), items)) {
        forget(list);
        return nullptr;
    }
    return &found->second;
}

void remember(Widget list, std::vector<std::string> lines) {
    forget(list);
    int count = 0;
    XmStringTable items = items_of(list, count);
    if (static_cast<std::size_t>(count) != lines.size()) return;
    if (watched.insert(list).second) XtAddCallback(list, XmNdestroyCallback, list_destroyed, nullptr);
    Shadow& shadow = shadows[list];
    shadow.lines = std::move(lines);
    shadow.held.reserve(shadow.lines.size());
    for (int i = 0; i < count; ++i) shadow.held.push_back(XmStringCopy(items[i]));
}

bool before(const std::string& a, const std::string& b) { return std::strcmp(a.c_str(), b.c_str()) < 0; }

// Beyond this many lines changed, the list is built whole: each line put in place moves the
// ones after it.
constexpr std::size_t kMostPatched = 64;
}  // namespace

std::vector<std::string> list_lines(Widget list) {
    std::vector<std::string> result;
    if (!list) return result;
    int count = 0;
    XmStringTable items = nullptr;
    XtVaGetValues(list, XmNitemCount, &count, XmNitems, &items, nullptr);
    result.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) result.push_back(xm_string_text(items[i]));
    return result;
}

void set_list_lines(Widget list, const std::vector<std::string>& lines) {
    if (!list) return;
    forget(list);
    XmListDeleteAllItems(list);
    if (lines.empty()) return;
    std::vector<XmString> items;
    items.reserve(lines.size());
    for (const std::string& line : lines) items.push_back(XmStringCreateLocalized(const_cast<char*>(line.c_str())));
    XmListAddItemsUnselected(list, items.data(), static_cast<int>(items.size()), 0);
    for (XmString s : items) XmStringFree(s);
}

void set_list_lines(Widget list, const std::vector<std::string>& lines, const std::vector<const char*>& renditions) {
    if (!list) return;
    XmListDeleteAllItems(list);
    std::vector<XmString> items;
    items.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const char* rendition = i < renditions.size() ? renditions[i] : nullptr;
        // The segment's tag picks the rendition (a rendition begun and ended inside the string
        // makes XmStringUnparse free its context twice).
        items.push_back(rendition ? XmStringCreate(const_cast<char*>(lines[i].c_str()), const_cast<char*>(rendition))
                                  : XmStringCreateLocalized(const_cast<char*>(lines[i].c_str())));
    }
    if (!items.empty()) XmListAddItemsUnselected(list, items.data(), static_cast<int>(items.size()), 0);
    for (XmString s : items) XmStringFree(s);
}

void set_sorted_list_lines(Widget list, std::vector<std::string> lines) {
    if (!list) return;
    Shadow* shadow = valid_shadow(list);
    std::vector<std::pair<std::size_t, const std::string*>> edits;  // (place, line to add, or none)
    if (shadow && std::is_sorted(lines.begin(), lines.end(), before) &&
        std::is_sorted(shadow->lines.begin(), shadow->lines.end(), before)) {
        // One walk through both: a line only one of them has is taken out or put in.
        const std::vector<std::string>& old = shadow->lines;
        std::size_t i = 0, j = 0, place = 0;
        while ((i < old.size() || j < lines.size()) && edits.size() <= kMostPatched) {
            if (i < old.size() && j < lines.size() && old[i] == lines[j]) {
                ++i, ++j, ++place;
            } else if (j == lines.size() || (i < old.size() && before(old[i], lines[j]))) {
                edits.push_back({place, nullptr});
                ++i;
            } else {
                edits.push_back({place++, &lines[j++]});
            }
        }
    }
    if (!shadow || edits.size() > kMostPatched) {
        set_list_lines(list, lines);
        return remember(list, std::move(lines));
    }
    for (const auto& [place, line] : edits) {
        if (!line) {
            XmListDeletePos(list, static_cast<int>(place) + 1);
            XmStringFree(shadow->held[place]);
            shadow->held.erase(shadow->held.begin() + static_cast<long>(place));
            continue;
        }
        XmStr item(line->c_str());
        XmListAddItemUnselected(list, item, place == shadow->held.size() ? 0 : static_cast<int>(place) + 1);
        int count = 0;
        shadow->held.insert(shadow->held.begin() + static_cast<long>(place), XmStringCopy(items_of(list, count)[place]));
    }
    shadow->lines = std::move(lines);
    // As a list built anew.
    XmListDeselectAllItems(list);
}

void add_string(Widget list, const char* text) {
    if (!list || !text) return;
    forget(list);
    int position = lines::insert_position(list_lines(list), text);
    XmStr item(text);
    XmListAddItemUnselected(list, item, position);
}

namespace {
// The 0-based index of the first item whose text does not sort before `text` (after, with
// `past`): a binary search reading only the items it looks at.
int first_not_before(XmStringTable items, int count, const std::string& text, bool past) {
    int low = 0, high = count;
    while (low < high) {
        int mid = low + (high - low) / 2;
        int order = std::strcmp(xm_string_text(items[mid]).c_str(), text.c_str());
        if (order < 0 || (past && order == 0))
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}
}  // namespace

bool put_list_line(Widget list, const std::string& name, const std::string* line) {
    if (!list) return false;
    int count = 0;
    XmStringTable items = nullptr;
    XtVaGetValues(list, XmNitemCount, &count, XmNitems, &items, nullptr);
    // The name's line sorts among those it begins: look there, and check the order around.
    int at = first_not_before(items, count, name, false), found = -1;
    for (int i = at; i < count; ++i) {
        std::string text = xm_string_text(items[i]);
        if (text.compare(0, name.size(), name) != 0) break;
        if (lines::first_word(text) == name) {
            found = i;
            break;
        }
    }
    if (at > 0 && std::strcmp(xm_string_text(items[at - 1]).c_str(), name.c_str()) >= 0) return false;
    if (found >= 0 && line && xm_string_text(items[found]) == *line) return true;
    // The shadow follows each step, so that a later whole refresh still finds it true.
    Shadow* shadow = valid_shadow(list);
    if (found >= 0) {
        XmListDeletePos(list, found + 1);
        if (shadow) {
            XmStringFree(shadow->held[static_cast<std::size_t>(found)]);
            shadow->held.erase(shadow->held.begin() + found);
            shadow->lines.erase(shadow->lines.begin() + found);
        }
    }
    if (!line) return true;
    XtVaGetValues(list, XmNitemCount, &count, XmNitems, &items, nullptr);
    int place = first_not_before(items, count, *line, true);
    XmStr item(line->c_str());
    XmListAddItemUnselected(list, item, place == count ? 0 : place + 1);
    if (shadow) {
        XtVaGetValues(list, XmNitems, &items, nullptr);
        shadow->held.insert(shadow->held.begin() + place, XmStringCopy(items[place]));
        shadow->lines.insert(shadow->lines.begin() + place, *line);
    }
    return true;
}
