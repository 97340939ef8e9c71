// Snapshots of severities, poll rates, conditions and template summaries: the image
// handles, the finds, and the albums that list and watch them.
#include <algorithm>

#include "platform/qori_internal.h"

using namespace qori_detail;

namespace {
using Image = std::shared_ptr<const ImageRecord>;

Image severity_image(const varo::Severity& s) {
    auto r = std::make_shared<ImageRecord>();
    r->kind = IMAGE_SEVERITY;
    r->name = s.name;
    r->value = s.value;
    r->color = s.color;
    return r;
}

Image poll_rate_image(const varo::PollRate& p) {
    auto r = std::make_shared<ImageRecord>();
    r->kind = IMAGE_POLLRATE;
    r->name = p.name;
    r->value = p.rate;
    return r;
}

Image condition_image(varo::Condition c) {
    auto r = std::make_shared<ImageRecord>();
    r->kind = IMAGE_CONDITION;
    r->name = std::move(c.name);
    r->descr = std::move(c.descr);
    r->code = std::move(c.code);
    return r;
}

// Without its code, which is read if the image is asked for it.
Image condition_summary_image(varo::Condition c) {
    Image r = condition_image(std::move(c));
    r->code_read = false;
    return r;
}

Image template_image(const varo::TemplateSummary& t) {
    auto r = std::make_shared<ImageRecord>();
    r->kind = IMAGE_TEMPLATE;
    r->name = t.name;
    r->descr = t.descr;
    return r;
}

Image kind_or_null(const Qor_GenericImage& image, ImageKind kind) {
    return image.record() && image.record()->kind == kind ? image.record() : nullptr;
}

// Looks a named object up; a missing one is refused as not found.
template <class Find, class Make>
Image find_image(const char* what, const char* name, Find find, Make make) {
    if (!check_name(what, name)) return nullptr;
    Image found;
    bool ok = with_store("", [&](varo::Store& store) {
        auto object = find(store, name);
        if (object) found = make(*object);
    });
    if (ok && !found) refuse(ERR_NOT_FOUND, std::string(what) + " " + quoted(name) + " does not exist");
    return found;
}
}  // namespace

const char* Qor_GenericImage::name() const { return rec ? rec->name.c_str() : nullptr; }
const char* Qor_GenericImage::descr() const { return rec ? rec->descr.c_str() : nullptr; }

Qor_Severity::Qor_Severity(const Qor_GenericImage& image)
    : Qor_GenericImage(kind_or_null(image, IMAGE_SEVERITY)) {}
int Qor_Severity::value() const { return rec ? rec->value : 0; }
const char* Qor_Severity::color() const { return rec ? rec->color.c_str() : ""; }

Qor_PollRate::Qor_PollRate(const Qor_GenericImage& image)
    : Qor_GenericImage(kind_or_null(image, IMAGE_POLLRATE)) {}
int Qor_PollRate::rate() const { return rec ? rec->value : 0; }

Qor_Cond::Qor_Cond(const Qor_GenericImage& image) : Qor_GenericImage(kind_or_null(image, IMAGE_CONDITION)) {}
const char* Qor_Cond::code() const {
    if (!rec) return "";
    if (!rec->code_read) {
        with_store("Reading a condition of Varo", [&](varo::Store& store) {
            if (auto c = store.find_condition(rec->name)) rec->code = c->code;
        });
        rec->code_read = true;
    }
    return rec->code.c_str();
}

Qor_Severity qorSeverity_Find(const char* name) {
    return Qor_Severity(Qor_GenericImage::from_record(find_image(
        "Severity", name, [](varo::Store& s, const char* n) { return s.find_severity(n); }, severity_image)));
}

Qor_Severity qorSeverity_Create(const char* name) { return qorSeverity_Find(name); }

Qor_PollRate qorPollRate_Find(const char* name) {
    return Qor_PollRate(Qor_GenericImage::from_record(find_image(
        "Poll rate", name, [](varo::Store& s, const char* n) { return s.find_poll_rate(n); }, poll_rate_image)));
}

Qor_Cond qorCond_Find(const char* name) {
    return Qor_Cond(Qor_GenericImage::from_record(find_image(
        "Condition", name, [](varo::Store& s, const char* n) { return s.find_condition(n); }, condition_image)));
}

Qor_GenericAlbum qorDefnContainer(const DataUnit&) { return Qor_GenericAlbum(QORI_ALBUM_TEMPLATES); }
Qor_GenericAlbum qorSeverityContainer(const DataUnit&) { return Qor_GenericAlbum(QORI_ALBUM_SEVERITIES); }
Qor_GenericAlbum qorPollRateContainer(const DataUnit&) { return Qor_GenericAlbum(QORI_ALBUM_POLLRATES); }
Qor_GenericAlbum qorCondContainer(const DataUnit&) { return Qor_GenericAlbum(QORI_ALBUM_CONDITIONS); }

void Qor_GenericAlbum::get_all(DataElemQueue& queue) const {
    // Read whole first, so that a failed read appends nothing.
    std::vector<Image> images;
    bool ok = with_store("Reading the " + std::string(varo::album_name(static_cast<varo::Album>(kind_))) + " of Varo",
               [&](varo::Store& store) {
                   switch (kind_) {
                   case QORI_ALBUM_TEMPLATES:
                       for (const auto& t : store.list_templates()) images.push_back(template_image(t));
                       break;
                   case QORI_ALBUM_SEVERITIES:
                       for (const auto& s : store.list_severities()) images.push_back(severity_image(s));
                       break;
                   case QORI_ALBUM_POLLRATES:
                       for (const auto& p : store.list_poll_rates()) images.push_back(poll_rate_image(p));
                       break;
                   case QORI_ALBUM_CONDITIONS:
                       // Lists show names only.
                       for (auto& c : store.list_condition_summaries())
                           images.push_back(condition_summary_image(std::move(c)));
                       break;
                   }
               });
    if (!ok) return;
    // Byte order of the names, whatever collation the backend sorts by (usually it is already).
    auto by_name = [](const Image& a, const Image& b) { return a->name < b->name; };
    if (!std::is_sorted(images.begin(), images.end(), by_name)) std::stable_sort(images.begin(), images.end(), by_name);
    for (Image& image : images) queue.enq(Qor_GenericImage::from_record(std::move(image)));
}

bool Qor_GenericAlbum::get_one(const std::string& name, Qor_GenericImage& out) const {
    Image found;
    bool ok = with_store("Reading the " + std::string(varo::album_name(static_cast<varo::Album>(kind_))) + " of Varo",
               [&](varo::Store& store) {
                   switch (kind_) {
                   case QORI_ALBUM_TEMPLATES:
                       if (auto t = store.find_template_summary(name)) found = template_image(*t);
                       break;
                   case QORI_ALBUM_SEVERITIES:
                       if (auto s = store.find_severity(name)) found = severity_image(*s);
                       break;
                   case QORI_ALBUM_POLLRATES:
                       if (auto p = store.find_poll_rate(name)) found = poll_rate_image(*p);
                       break;
                   case QORI_ALBUM_CONDITIONS:
                       if (auto c = store.find_condition(name)) found = condition_summary_image({c->name, c->descr, ""});
                       break;
                   }
               });
    out = found ? Qor_GenericImage::from_record(std::move(found)) : Qor_GenericImage();
    return ok;
}

void Qor_GenericAlbum::add_callback(const Callback& callback, void*) {
    engine().album_callbacks[kind_].push_back(callback);
}
