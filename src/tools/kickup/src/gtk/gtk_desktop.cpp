#include "gtk_desktop.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>

#include "gtk_dialog_view.h"
#include "pictures.h"

namespace quarn::kickup {

namespace {

struct preview_t {
    GdkWindow *window = nullptr;
    GMainLoop *loop = nullptr;
};

void draw_preview_window(GdkWindow *window) {
    cairo_region_t *region = cairo_region_create();
    const cairo_rectangle_int_t all = {0, 0, gdk_window_get_width(window), gdk_window_get_height(window)};
    cairo_region_union_rectangle(region, &all);
    GdkDrawingContext *context = gdk_window_begin_draw_frame(window, region);
    draw_preview(gdk_drawing_context_get_cairo_context(context), all.width, all.height);
    gdk_window_end_draw_frame(window, context);
    cairo_region_destroy(region);
}

void preview_event(GdkEvent *event, gpointer data) {
    auto *p = static_cast<preview_t *>(data);
    if (event->any.window == p->window) {
        switch (event->type) {
            case GDK_EXPOSE: draw_preview_window(p->window); return;
            // The preview goes with the window it lives in.
            case GDK_DESTROY: g_main_loop_quit(p->loop); return;
            default: break;
        }
    }
    gtk_main_do_event(event);
}

// The window the preview lives in belongs to another program, which ends the preview
// by destroying it; GDK warns about exactly that, and only that warning is dropped.
GLogWriterOutput preview_log(GLogLevelFlags level, const GLogField *fields, gsize count, gpointer data) {
    for (gsize i = 0; i < count; ++i) {
        if (strcmp(fields[i].key, "MESSAGE") == 0 && fields[i].length < 0 &&
            strstr(static_cast<const char *>(fields[i].value), "unexpectedly destroyed"))
            return G_LOG_WRITER_HANDLED;
    }
    return g_log_writer_default(level, fields, count, data);
}

// GTK's own handler, which the preview's stands in front of.
void main_do_event(GdkEvent *event, gpointer) { gtk_main_do_event(event); }

GtkMessageType message_type(message_icon_t icon) {
    switch (icon) {
        case MESSAGE_ERROR: return GTK_MESSAGE_ERROR;
        case MESSAGE_QUESTION: return GTK_MESSAGE_QUESTION;
        default: return GTK_MESSAGE_INFO;
    }
}

}  // namespace

bool gtk_desktop_t::open_display() {
    if (m_display == 0) m_display = gtk_init_check(nullptr, nullptr) ? 1 : -1;
    return m_display > 0;
}

void gtk_desktop_t::run_dialog(dialog_presenter_t &presenter, uint64_t parent) {
    if (!open_display()) return;
    gtk_dialog_view_t view(presenter, parent);
    m_view = &view;
    // Once the dialog's loop runs, a test plays the user.
    struct shown_t {
        gtk_desktop_t *desktop;
        gtk_dialog_view_t *view;
        guint source;
    } shown{this, &view, 0};
    if (on_shown) {
        shown.source = g_idle_add(
            [](gpointer data) -> gboolean {
                auto *s = static_cast<shown_t *>(data);
                s->source = 0;
                s->desktop->on_shown(*s->view);
                return G_SOURCE_REMOVE;
            },
            &shown);
    }
    view.run();
    if (shown.source) g_source_remove(shown.source);
    m_view = nullptr;
}

void gtk_desktop_t::run_preview(uint64_t window) {
    if (!open_display()) return;
    GdkDisplay *display = gdk_display_get_default();
    if (!GDK_IS_X11_DISPLAY(display)) return;
    GdkWindow *parent = gdk_x11_window_foreign_new_for_display(display, Window(window));
    if (!parent) return;
    GdkWindowAttr attr{};
    attr.window_type = GDK_WINDOW_CHILD;
    attr.wclass = GDK_INPUT_OUTPUT;
    attr.width = gdk_window_get_width(parent);
    attr.height = gdk_window_get_height(parent);
    attr.event_mask = GDK_EXPOSURE_MASK | GDK_STRUCTURE_MASK;
    preview_t preview;
    preview.window = gdk_window_new(parent, &attr, 0);
    preview.loop = g_main_loop_new(nullptr, FALSE);
    gdk_event_handler_set(preview_event, &preview, nullptr);
    gdk_window_show(preview.window);
    // The log's writer can be set once a process; the preview is the launcher's one task.
    g_log_set_writer_func(preview_log, nullptr, nullptr);
    g_main_loop_run(preview.loop);
    gdk_event_handler_set(main_do_event, nullptr, nullptr);
    g_main_loop_unref(preview.loop);
    g_object_unref(parent);
}

void gtk_desktop_t::show_message(const std::string &text, const std::string &caption, message_icon_t icon) {
    if (!open_display()) {
        fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return;
    }
    GtkWindow *owner = m_view ? GTK_WINDOW(m_view->dialog()) : nullptr;
    GtkWidget *box = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, message_type(icon), GTK_BUTTONS_OK, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(box), caption.c_str());
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
}

bool gtk_desktop_t::ask_yes_no(const std::string &text, const std::string &caption) {
    if (!open_display()) {
        fprintf(stderr, "%s: %s\n(no one to ask: No)\n", caption.c_str(), text.c_str());
        return false;
    }
    GtkWindow *owner = m_view ? GTK_WINDOW(m_view->dialog()) : nullptr;
    GtkWidget *box =
        gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(box), caption.c_str());
    const bool yes = gtk_dialog_run(GTK_DIALOG(box)) == GTK_RESPONSE_YES;
    gtk_widget_destroy(box);
    return yes;
}

}  // namespace quarn::kickup
