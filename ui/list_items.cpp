#include "ui/list_items.h"

#include <Xm/List.h>

#include <cstring>

#include "template/line_format.h"
#include "ui/xm_string.h"

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

void add_string(Widget list, const char* text) {
    if (!list || !text) return;
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
    if (found >= 0) XmListDeletePos(list, found + 1);
    if (!line) return true;
    XtVaGetValues(list, XmNitemCount, &count, XmNitems, &items, nullptr);
    int place = first_not_before(items, count, *line, true);
    XmStr item(line->c_str());
    XmListAddItemUnselected(list, item, place == count ? 0 : place + 1);
    return true;
}
