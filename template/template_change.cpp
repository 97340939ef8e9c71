#include "template/template_change.h"

#include <algorithm>
#include <vector>

namespace {
std::vector<TemplateView>& views() {
    static std::vector<TemplateView> registered;
    return registered;
}
}  // namespace

void watch_template(TemplateView view) {
    auto& v = views();
    if (view && std::find(v.begin(), v.end(), view) == v.end()) v.push_back(view);
}

void unwatch_template_views() { views().clear(); }

void announce(const TemplateChange& change) {
    // A copy: a view may not register or forget others while it is told.
    std::vector<TemplateView> now = views();
    for (TemplateView view : now) view(change);
}
