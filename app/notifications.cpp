#include "app/notifications.h"

#include <Xm/List.h>

#include <string>
#include <vector>

#include "app/main_loop.h"
#include "base/globals.h"
#include "base/messages.h"
#include "edit/exit_flows.h"
#include "edit/template_callbacks.h"
#include "edit/write_controls.h"
#include "template/album_reader.h"
#include "template/recovery_journal.h"
#include "template/line_format.h"
#include "ui/list_items.h"
#include "ui/message_dialogs.h"
#include "ui/option_menus.h"
#include "ui/widgets.h"
#include "ui/windows.h"

namespace {

// The album's lines, in the order one-by-one sorted insertion would give them.
template <class Format>
std::vector<std::string> album_lines(const Qor_GenericAlbum& album, Format format) {
    std::vector<std::string> out;
    for (const Qor_GenericImage& image : read_album(album)) out.push_back(format(image));
    return lines::in_list_order(std::move(out));
}

// The lines of the names the change tells put in place, each read again from the store;
// false when the list is to be built whole (no names told, a failed read, a list found out
// of order).
template <class Format>
bool patch_lines(Widget list, const Qor_GenericAlbum& album, const TemplateChange& change, Format format) {
    if (!change.names || !list) return false;
    for (const auto& named : *change.names) {
        Qor_GenericImage image;
        if (named.second != '-' && !album.get_one(named.first, image)) return false;
        // Found under its stored spelling, which is the one its line shows.
        const std::string line = image.is_valid() ? format(image) : std::string();
        if (image.is_valid() && image.name() != named.first && !put_list_line(list, named.first, nullptr)) return false;
        if (!put_list_line(list, image.is_valid() ? image.name() : named.first, image.is_valid() ? &line : nullptr))
            return false;
    }
    return true;
}

std::string severity_refresh_line(const Qor_GenericImage& s) {
    Qor_Severity severity(s);
    return lines::severity_line(s.name(), severity.value(), severity.color(), lines::SERVER_LIST);
}
std::string pollrate_line_of(const Qor_GenericImage& p) { return lines::pollrate_line(p.name(), Qor_PollRate(p).rate()); }
std::string condition_line_of(const Qor_GenericImage& c) { return lines::condition_line(c.name()); }
std::string template_refresh_line(const Qor_GenericImage& t) {
    return lines::template_line(t.name(), t.descr(), lines::TEMPLATE_REFRESH);
}

// The first fill's lines are cut longer than a refresh's: a named change is patched only
// into lines a refresh made, so that it gives what a whole refresh would.
bool template_list_refreshed = false;

// The change a notification of this album brings: its names when the engine has them.
TemplateChange album_change(QoriAlbumKind kind, AlbumKind album) {
    const QoriAlbumNews& news = qori_album_news(kind);
    return {Change::Album, 0, {0, 0}, album, news.whole ? nullptr : &news.names};
}

}  // namespace

void fill_template_list(bool refresh) {
    template_list_refreshed = refresh;
    if (refresh) return set_sorted_list_lines(ol_list, album_lines(qorDefnContainer(DataUnit()), template_refresh_line));
    set_sorted_list_lines(ol_list, album_lines(qorDefnContainer(DataUnit()), [](const Qor_GenericImage& t) {
                       return lines::template_line(t.name(), t.descr(), lines::SERVER_LIST);
                   }));
}

void fill_pollrate_list() {
    set_sorted_list_lines(pollrate_list, album_lines(qorPollRateContainer(DataUnit()), pollrate_line_of));
    build_pollrate_buttons();
}

void fill_severity_list(bool start_up) {
    std::size_t bound = start_up ? lines::SEVERITY_START : lines::SERVER_LIST;
    set_sorted_list_lines(severity_list, album_lines(qorSeverityContainer(DataUnit()), [bound](const Qor_GenericImage& s) {
                       Qor_Severity severity(s);
                       return lines::severity_line(s.name(), severity.value(), severity.color(), bound);
                   }));
    build_severity_buttons();
}

void fill_condition_list() {
    set_sorted_list_lines(ct_condition_list, album_lines(qorCondContainer(DataUnit()), condition_line_of));
    build_condition_list();
    build_action_list();
}

void init_template_win(Widget& parent) {
    create_open_list_win(parent);
    fill_template_list(false);
}

void init_pollrate_win(Widget& parent) {
    create_pollrate_win(parent);
    fill_pollrate_list();
}

void init_severity_win(Widget& parent) {
    create_severity_edit_win(parent);
    fill_severity_list(true);
}

void init_cond_win(Widget& parent) {
    create_condition_text_win(parent);
    fill_condition_list();
}

void server_lists_view(const TemplateChange& change) {
    if (change.kind != Change::Album) return;
    switch (change.album) {
    case AlbumKind::Templates:
        if (!template_list_refreshed || !patch_lines(ol_list, qorDefnContainer(DataUnit()), change, template_refresh_line))
            fill_template_list(true);
        reselect_open_list();
        break;
    case AlbumKind::PollRates:
        if (!patch_lines(pollrate_list, qorPollRateContainer(DataUnit()), change, pollrate_line_of))
            return fill_pollrate_list();
        build_pollrate_buttons();
        break;
    case AlbumKind::Severities:
        if (!patch_lines(severity_list, qorSeverityContainer(DataUnit()), change, severity_refresh_line))
            return fill_severity_list(false);
        build_severity_buttons();
        break;
    case AlbumKind::Conditions:
        if (!patch_lines(ct_condition_list, qorCondContainer(DataUnit()), change, condition_line_of))
            return fill_condition_list();
        build_condition_list();
        build_action_list();
        break;
    case AlbumKind::NoAlbum:
        break;
    }
}

void update_template(void*, void*) { announce(album_change(QORI_ALBUM_TEMPLATES, AlbumKind::Templates)); }
void update_pollrate(void*, void*) { announce(album_change(QORI_ALBUM_POLLRATES, AlbumKind::PollRates)); }
void update_severity(void*, void*) { announce(album_change(QORI_ALBUM_SEVERITIES, AlbumKind::Severities)); }
void update_condition(void*, void*) { announce(album_change(QORI_ALBUM_CONDITIONS, AlbumKind::Conditions)); }

void disconnected_cb(void*, void*) {
    // Written now: the user may never answer.
    write_journal_now();
    error_dialog(te_win, message_text(msg::PLATFORM_DISCONNECTED), exit_no_save, exit_no_save);
}

void register_callbacks() {
    SchedContext context = SchedContext::current();
    qorPollRateContainer(DataUnit()).add_callback(Callback(context, update_pollrate, nullptr), nullptr);
    qorSeverityContainer(DataUnit()).add_callback(Callback(context, update_severity, nullptr), nullptr);
    qorCondContainer(DataUnit()).add_callback(Callback(context, update_condition, nullptr), nullptr);
    qorDefnContainer(DataUnit()).add_callback(Callback(context, update_template, nullptr), nullptr);
    qori_rights_callback(Callback(context, store_rights_changed, nullptr));
    _qor_dimons3g.when(DataUnit("DISCONNECTED"), Callback(context, disconnected_cb, nullptr));
    install_dispatcher();
}
