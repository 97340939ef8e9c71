#include "ui/list_items.h"

#include <Xm/List.h>

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

void add_string(Widget list, const char* text) {
    if (!list || !text) return;
    int position = lines::insert_position(list_lines(list), text);
    XmStr item(text);
    XmListAddItemUnselected(list, item, position);
}
