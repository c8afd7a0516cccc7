#pragma once
// The settings dialog on GTK 3: a dialog with a banner, a two-page notebook, the
// "start directly" check box and the two buttons. It mirrors a dialog_presenter_t,
// forwards every signal to it and refreshes itself; it decides nothing. An exception
// never leaves a signal handler: the presenter's react() reports it, and anything
// else is caught at the handler's edge.
#include <gtk/gtk.h>

#include <cstdint>
#include <map>

#include "../dialog_presenter.h"

namespace quarn::kickup {

class gtk_dialog_view_t {
public:
    // Builds the widgets over an opened presenter; parent: an X11 window id or 0.
    gtk_dialog_view_t(dialog_presenter_t &presenter, uint64_t parent);
    ~gtk_dialog_view_t();
    gtk_dialog_view_t(const gtk_dialog_view_t &) = delete;
    gtk_dialog_view_t &operator=(const gtk_dialog_view_t &) = delete;

    // Shows the dialog and runs it until the presenter has a result.
    void run();

    // The widgets, for tests that play the user.
    GtkWidget *dialog() const { return m_dialog; }
    GtkNotebook *notebook() const { return GTK_NOTEBOOK(m_notebook); }
    GtkWidget *widget(int id) const;

private:
    struct binding_t;

    GtkWidget *add_label_row(GtkGrid *grid, int row, const char *label, GtkWidget *widget);
    GtkWidget *make_combo(int id);
    GtkWidget *make_check(int id);
    GtkWidget *make_radio(int id, GtkWidget *group_member);
    void build_overview(GtkWidget *page);
    void build_configuration(GtkWidget *page);
    void bind(GtkWidget *w, int id, const char *signal);
    void refresh();
    void forward(int id, GtkWidget *w);
    void set_parent(uint64_t parent);

    static void on_signal(GtkWidget *w, gpointer binding);
    static void on_page(GtkNotebook *, GtkWidget *, guint page, gpointer self);
    static void on_response(GtkDialog *, gint response, gpointer self);

    dialog_presenter_t &m_presenter;
    GtkWidget *m_dialog = nullptr;
    GtkWidget *m_notebook = nullptr;
    std::map<int, GtkWidget *> m_widgets;
    std::map<int, binding_t *> m_bindings;
    bool m_refreshing = false;
};

}  // namespace quarn::kickup
