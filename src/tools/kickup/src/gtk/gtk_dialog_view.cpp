#include "gtk_dialog_view.h"

#include <gdk/gdkx.h>

#include <string>

#include "../message_host.h"
#include "../string_table.h"
#include "pictures.h"

namespace quarn::kickup {

struct gtk_dialog_view_t::binding_t {
    gtk_dialog_view_t *view;
    int id;
};

namespace {

// The dialog's "&" marks the mnemonic; GTK marks it with "_".
std::string mnemonic(const std::string &text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += '_';
        else if (c == '_') out += "__";
        else out += c;
    }
    return out;
}

gboolean draw_banner_cb(GtkWidget *w, cairo_t *cr, gpointer) {
    draw_banner(cr, gtk_widget_get_allocated_width(w), gtk_widget_get_allocated_height(w));
    return TRUE;
}

// Everything that escapes a handler ends here, at the toolkit's edge.
template <typename body_t>
void guarded(body_t &&body) {
    try {
        body();
    } catch (...) {
        show_error(load_resource_string(112) + "\nUnknown Error");
    }
}

}  // namespace

gtk_dialog_view_t::gtk_dialog_view_t(dialog_presenter_t &presenter, uint64_t parent) : m_presenter(presenter) {
    m_dialog = gtk_dialog_new();
    g_object_ref_sink(m_dialog);
    gtk_window_set_title(GTK_WINDOW(m_dialog), presenter.title().c_str());
    gtk_window_set_resizable(GTK_WINDOW(m_dialog), FALSE);
    GList *icons = nullptr;
    for (int size : {16, 32, 48}) icons = g_list_append(icons, make_icon(size));
    gtk_window_set_icon_list(GTK_WINDOW(m_dialog), icons);
    g_list_free_full(icons, g_object_unref);

    GtkWidget *content = gtk_dialog_get_content_area(GTK_DIALOG(m_dialog));
    GtkWidget *banner = gtk_drawing_area_new();
    gtk_widget_set_size_request(banner, 480, 90);
    g_signal_connect(banner, "draw", G_CALLBACK(draw_banner_cb), nullptr);
    gtk_box_pack_start(GTK_BOX(content), banner, FALSE, FALSE, 0);

    m_notebook = gtk_notebook_new();
    const control_t &tabs = presenter.control(ID_TABS);
    GtkWidget *pages[2];
    for (int i = 0; i < 2; ++i) {
        pages[i] = gtk_grid_new();
        gtk_grid_set_row_spacing(GTK_GRID(pages[i]), 6);
        gtk_grid_set_column_spacing(GTK_GRID(pages[i]), 12);
        gtk_container_set_border_width(GTK_CONTAINER(pages[i]), 12);
        gtk_notebook_append_page(GTK_NOTEBOOK(m_notebook), pages[i],
                                 gtk_label_new(tabs.entries.at(size_t(i)).c_str()));
    }
    build_overview(pages[0]);
    build_configuration(pages[1]);
    gtk_box_pack_start(GTK_BOX(content), m_notebook, TRUE, TRUE, 6);
    gtk_box_pack_start(GTK_BOX(content), make_check(ID_SUPPRESS_SETUP), FALSE, FALSE, 6);
    // After the notebook has switched, so that refreshing finds the new page current.
    g_signal_connect_after(m_notebook, "switch-page", G_CALLBACK(on_page), this);

    m_widgets[ID_OK] = gtk_dialog_add_button(GTK_DIALOG(m_dialog), "", GTK_RESPONSE_OK);
    m_widgets[ID_CANCEL] = gtk_dialog_add_button(GTK_DIALOG(m_dialog), "", GTK_RESPONSE_CANCEL);
    gtk_dialog_set_default_response(GTK_DIALOG(m_dialog), GTK_RESPONSE_OK);
    g_signal_connect(m_dialog, "response", G_CALLBACK(on_response), this);
    set_parent(parent);
}

gtk_dialog_view_t::~gtk_dialog_view_t() {
    gtk_widget_destroy(m_dialog);
    g_object_unref(m_dialog);
    for (auto &[id, b] : m_bindings) delete b;
}

GtkWidget *gtk_dialog_view_t::widget(int id) const {
    const auto it = m_widgets.find(id);
    return it == m_widgets.end() ? nullptr : it->second;
}

void gtk_dialog_view_t::set_parent(uint64_t parent) {
    if (!parent) return;
    gtk_widget_realize(m_dialog);
    GdkDisplay *display = gtk_widget_get_display(m_dialog);
    // Where the display is not X11 the window number means nothing.
    if (!GDK_IS_X11_DISPLAY(display)) return;
    GdkWindow *owner = gdk_x11_window_foreign_new_for_display(display, Window(parent));
    if (!owner) return;
    gdk_window_set_transient_for(gtk_widget_get_window(m_dialog), owner);
    g_object_unref(owner);
}

GtkWidget *gtk_dialog_view_t::add_label_row(GtkGrid *grid, int row, const char *label, GtkWidget *w) {
    GtkWidget *caption = gtk_label_new(label);
    gtk_widget_set_halign(caption, GTK_ALIGN_START);
    gtk_grid_attach(grid, caption, 0, row, 1, 1);
    gtk_widget_set_hexpand(w, TRUE);
    gtk_grid_attach(grid, w, 1, row, 1, 1);
    return w;
}

void gtk_dialog_view_t::bind(GtkWidget *w, int id, const char *signal) {
    auto *b = new binding_t{this, id};
    m_bindings[id] = b;
    m_widgets[id] = w;
    g_signal_connect(w, signal, G_CALLBACK(on_signal), b);
}

GtkWidget *gtk_dialog_view_t::make_combo(int id) {
    GtkWidget *w = gtk_combo_box_text_new();
    bind(w, id, "changed");
    return w;
}

GtkWidget *gtk_dialog_view_t::make_check(int id) {
    GtkWidget *w = gtk_check_button_new_with_label("");
    bind(w, id, "toggled");
    return w;
}

GtkWidget *gtk_dialog_view_t::make_radio(int id, GtkWidget *group_member) {
    GtkWidget *w = group_member ? gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(group_member), "")
                                : gtk_radio_button_new_with_label(nullptr, "");
    bind(w, id, "toggled");
    return w;
}

void gtk_dialog_view_t::build_overview(GtkWidget *page) {
    int row = 0;
    for (int id : dialog_presenter_t::page_controls(0)) {
        GtkWidget *value = gtk_label_new("");
        gtk_widget_set_halign(value, GTK_ALIGN_START);
        add_label_row(GTK_GRID(page), row++, m_presenter.control(id).label.c_str(), value);
        m_widgets[id] = value;
    }
}

void gtk_dialog_view_t::build_configuration(GtkWidget *page) {
    GtkGrid *grid = GTK_GRID(page);
    int row = 0;
    GtkWidget *renderers = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    GtkWidget *opengl = make_radio(ID_OPENGL, nullptr);
    gtk_box_pack_start(GTK_BOX(renderers), opengl, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(renderers), make_radio(ID_DIRECTX, opengl), FALSE, FALSE, 0);
    add_label_row(grid, row++, "Renderer:", renderers);
    for (int id : {ID_DEVICES, ID_PATHS}) add_label_row(grid, row++, m_presenter.control(id).label.c_str(), make_combo(id));

    GtkWidget *levels = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    GtkWidget *first = nullptr;
    for (int id = ID_QUALITY_0; id <= ID_QUALITY_CUSTOM; ++id) {
        GtkWidget *radio = make_radio(id, first);
        if (!first) first = radio;
        gtk_box_pack_start(GTK_BOX(levels), radio, FALSE, FALSE, 0);
    }
    add_label_row(grid, row++, m_presenter.control(ID_QUALITY_0).label.c_str(), levels);

    add_label_row(grid, row++, m_presenter.control(ID_MODES).label.c_str(), make_combo(ID_MODES));
    GtkWidget *screen = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    GtkWidget *fullscreen = make_radio(ID_FULLSCREEN, nullptr);
    gtk_box_pack_start(GTK_BOX(screen), fullscreen, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(screen), make_radio(ID_WINDOWED, fullscreen), FALSE, FALSE, 0);
    add_label_row(grid, row++, "", screen);

    GtkWidget *sound = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_box_pack_start(GTK_BOX(sound), make_check(ID_SOUND), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(sound), make_check(ID_ACCELERATION), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(sound), make_combo(ID_SOUND_RATES), FALSE, FALSE, 0);
    add_label_row(grid, row++, "Sound:", sound);
}

void gtk_dialog_view_t::refresh() {
    m_refreshing = true;
    for (const auto &[id, w] : m_widgets) {
        const control_t &c = m_presenter.control(id);
        gtk_widget_set_visible(w, c.shown);
        gtk_widget_set_sensitive(w, c.enabled);
        if (GTK_IS_COMBO_BOX_TEXT(w)) {
            gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(w));
            for (const std::string &e : c.entries) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(w), e.c_str());
            gtk_combo_box_set_active(GTK_COMBO_BOX(w), c.selection);
        } else if (GTK_IS_TOGGLE_BUTTON(w)) {
            gtk_button_set_label(GTK_BUTTON(w), c.text.c_str());
            // A radio is unchecked by checking another of its group.
            if (c.checked || !GTK_IS_RADIO_BUTTON(w)) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), c.checked);
        } else if (GTK_IS_BUTTON(w)) {
            gtk_button_set_label(GTK_BUTTON(w), mnemonic(c.text).c_str());
            gtk_button_set_use_underline(GTK_BUTTON(w), TRUE);
        } else if (GTK_IS_LABEL(w)) {
            gtk_label_set_text(GTK_LABEL(w), c.text.c_str());
        }
    }
    gtk_notebook_set_current_page(GTK_NOTEBOOK(m_notebook), m_presenter.current_tab());
    m_refreshing = false;
    if (GtkWidget *w = widget(m_presenter.focus())) gtk_widget_grab_focus(w);
}

void gtk_dialog_view_t::forward(int id, GtkWidget *w) {
    if (m_refreshing) return;
    dialog_presenter_t &p = m_presenter;
    if (GTK_IS_COMBO_BOX(w)) {
        const int entry = gtk_combo_box_get_active(GTK_COMBO_BOX(w));
        if (entry < 0) return;
        p.react([&] {
            switch (id) {
                case ID_DEVICES: p.choose_device(entry); break;
                case ID_PATHS: p.choose_path(entry); break;
                case ID_MODES: p.choose_mode(entry); break;
                case ID_SOUND_RATES: p.choose_rate(entry); break;
                default: break;
            }
        });
    } else {
        const bool active = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w));
        // A radio reports the one it left too: only the one chosen counts.
        if (GTK_IS_RADIO_BUTTON(w) && !active) return;
        p.react([&] {
            if (id >= ID_QUALITY_0 && id < ID_QUALITY_CUSTOM) return p.choose_quality(id - ID_QUALITY_0);
            switch (id) {
                case ID_OPENGL: p.choose_renderer(1); break;
                case ID_DIRECTX: p.choose_renderer(2); break;
                case ID_FULLSCREEN: p.choose_fullscreen(true); break;
                case ID_WINDOWED: p.choose_fullscreen(false); break;
                case ID_SOUND: p.choose_sound(active); break;
                case ID_ACCELERATION: p.choose_acceleration(active); break;
                case ID_SUPPRESS_SETUP: p.choose_suppress_setup(active); break;
                default: break;
            }
        });
    }
    refresh();
}

void gtk_dialog_view_t::on_signal(GtkWidget *w, gpointer data) {
    auto *b = static_cast<binding_t *>(data);
    guarded([&] { b->view->forward(b->id, w); });
}

void gtk_dialog_view_t::on_page(GtkNotebook *, GtkWidget *, guint page, gpointer data) {
    auto *view = static_cast<gtk_dialog_view_t *>(data);
    if (view->m_refreshing) return;
    guarded([&] {
        view->m_presenter.react([&] { view->m_presenter.select_tab(int(page)); });
        view->refresh();
    });
}

void gtk_dialog_view_t::on_response(GtkDialog *, gint response, gpointer data) {
    auto *view = static_cast<gtk_dialog_view_t *>(data);
    guarded([&] {
        if (response == GTK_RESPONSE_OK) view->m_presenter.react([&] { view->m_presenter.ok(); });
        else view->m_presenter.cancel();
    });
}

void gtk_dialog_view_t::run() {
    gtk_widget_show_all(m_dialog);
    refresh();
    while (m_presenter.result() == DIALOG_OPEN) {
        // The response handler decides; a closed window is a Cancel.
        if (gtk_dialog_run(GTK_DIALOG(m_dialog)) == GTK_RESPONSE_DELETE_EVENT) m_presenter.cancel();
    }
    gtk_widget_hide(m_dialog);
}

}  // namespace quarn::kickup
