/* The reference for the program's start: the least a GTK 4 program does to show a window of the
 * device's size with one label. It prints "first frame" on standard output once the window's first
 * frame is painted, then runs until it is closed or sent SIGTERM. */
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <stdio.h>

static void after_paint(GdkFrameClock *clock, gpointer handler) {
    g_signal_handler_disconnect(clock, *(gulong *)handler);
    printf("first frame\n");
    fflush(stdout);
}

static void realized(GtkWidget *window, gpointer handler) {
    *(gulong *)handler = g_signal_connect(gtk_widget_get_frame_clock(window), "after-paint", G_CALLBACK(after_paint), handler);
}

static gboolean quit(gpointer loop) {
    g_main_loop_quit(loop);
    return G_SOURCE_REMOVE;
}

int main(void) {
    if (!gtk_init_check()) {
        fprintf(stderr, "bare_gtk_window: cannot open a display\n");
        return 2;
    }
    GMainLoop *loop = g_main_loop_new(NULL, FALSE);
    static gulong handler;
    GtkWidget *window = gtk_window_new();
    gtk_window_set_title(GTK_WINDOW(window), "Bare window");
    gtk_window_set_default_size(GTK_WINDOW(window), 1024, 768);
    gtk_window_set_child(GTK_WINDOW(window), gtk_label_new("A bare GTK 4 window"));
    g_signal_connect(window, "realize", G_CALLBACK(realized), &handler);
    g_signal_connect_swapped(window, "close-request", G_CALLBACK(quit), loop);
    g_unix_signal_add(SIGTERM, quit, loop);
    g_unix_signal_add(SIGINT, quit, loop);
    gtk_window_present(GTK_WINDOW(window));
    g_main_loop_run(loop);
    gtk_window_destroy(GTK_WINDOW(window));
    g_main_loop_unref(loop);
    return 0;
}
