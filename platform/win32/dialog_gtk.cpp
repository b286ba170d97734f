// Dialogs on the display, made with GTK from the template: dialog units become pixels of the
// template's font, each control sits where the template puts it, and the keyboard works as in a
// Windows dialog (Enter presses the default button, Escape and the close button send IDCANCEL,
// Tab follows the template's tab stops, mnemonics with or without Alt).
#include "dialog.h"
#include "window.h"

#include <gtk/gtk.h>

#include <cstdlib>

namespace platform {
namespace {

enum class Display { Untried, Ready, Missing };
Display display = Display::Untried;

bool OpenGtkDisplay(std::string* problem) {
    if (display == Display::Untried) {
        // Numbers are read and written in the "C" locale throughout the program.
        gtk_disable_setlocale();
        display = gtk_init_check(nullptr, nullptr) ? Display::Ready : Display::Missing;
    }
    if (display == Display::Ready) return true;
    const char* name = getenv("DISPLAY");
    if (!name || !*name)
        *problem = "there is no display to show it on (DISPLAY is not set)";
    else
        *problem = std::string("cannot open the display \"") + name + "\"";
    return false;
}

// Windows measures dialog units on the dialog's font: a horizontal unit is a quarter of the
// average letter width, a vertical unit an eighth of the font's height.
struct BaseUnits {
    int x;
    int y;
};

BaseUnits MeasureFont(GtkWidget* widget, const PangoFontDescription* font) {
    PangoContext* context = gtk_widget_get_pango_context(widget);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, font, nullptr);
    int fontHeight = PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    BaseUnits units{(width / 26 + 1) / 2, fontHeight};
    if (units.x < 1) units.x = 1;
    if (units.y < 1) units.y = height > 0 ? height : 1;
    return units;
}

int ToPixels(int dialogUnits, int baseUnit, int parts) { return (dialogUnits * baseUnit + parts / 2) / parts; }

// GTK's mnemonic marks: '&' becomes '_', and a literal '_' is doubled.
std::string GtkMnemonicText(const char* text) {
    std::string converted;
    for (const char* c = text ? text : ""; *c; ++c) {
        if (*c == '&') {
            if (c[1] == '&') converted += *++c;
            else converted += '_';
        } else if (*c == '_') {
            converted += "__";
        } else {
            converted += *c;
        }
    }
    return converted;
}

// Compact widgets in the template's font, so controls fit the sizes the template gives them.
std::string StyleSheet(const DLGRESOURCE& resource) {
    std::string face = resource.faceName && (resource.style & DS_SETFONT) ? resource.faceName : "Sans";
    int points = resource.pointSize && (resource.style & DS_SETFONT) ? resource.pointSize : 8;
    return ".win32-dialog, .win32-dialog * { font-family: \"" + face + "\", Sans; font-size: " +
           std::to_string(points) + "pt; }\n"
           ".win32-dialog button { min-height: 0; min-width: 0; padding: 1px 4px; }\n"
           ".win32-dialog combobox button { padding: 1px 4px; }\n"
           ".win32-dialog checkbutton { padding: 0; }\n"
           ".win32-dialog checkbutton check { min-width: 12px; min-height: 12px; margin: 0 4px 0 0; }\n";
}

PangoFontDescription* FontOf(const DLGRESOURCE& resource) {
    PangoFontDescription* font = pango_font_description_new();
    std::string face = resource.faceName && (resource.style & DS_SETFONT) ? resource.faceName : "Sans";
    int points = resource.pointSize && (resource.style & DS_SETFONT) ? resource.pointSize : 8;
    pango_font_description_set_family(font, (face + ",Sans").c_str());
    pango_font_description_set_size(font, points * PANGO_SCALE);
    return font;
}

DialogBox& BoxOf(GtkWidget* widget) {
    return *static_cast<DialogBox*>(g_object_get_data(G_OBJECT(widget), "dialog-box"));
}

// The control a focused widget belongs to (a combo box's inner button, for example).
DialogControl* ControlOfWidget(DialogBox& box, GtkWidget* widget) {
    for (; widget; widget = gtk_widget_get_parent(widget))
        for (DialogControl& control : box.controls)
            if (control.widget == widget) return &control;
    return nullptr;
}

int DefaultButtonId(DialogBox& box) {
    for (DialogControl& control : box.controls)
        if (control.defaultButton) return control.item->id;
    return IDOK;
}

bool Focusable(const DialogControl& control) {
    GtkWidget* widget = static_cast<GtkWidget*>(control.widget);
    return (control.item->style & WS_TABSTOP) && widget && gtk_widget_is_sensitive(widget) && gtk_widget_get_visible(widget);
}

// Tab and Shift+Tab walk the tab stops in template order, wrapping around.
void MoveFocus(DialogBox& box, GtkWindow* window, bool backwards) {
    int count = static_cast<int>(box.controls.size());
    if (count == 0) return;
    DialogControl* current = ControlOfWidget(box, gtk_window_get_focus(window));
    int start = current ? static_cast<int>(current - box.controls.data()) : (backwards ? 0 : count - 1);
    for (int step = 1; step <= count; ++step) {
        int index = ((start + (backwards ? -step : step)) % count + count) % count;
        if (Focusable(box.controls[index])) {
            gtk_widget_grab_focus(static_cast<GtkWidget*>(box.controls[index].widget));
            return;
        }
    }
}

bool ActivateMnemonic(DialogBox& box, char letter) {
    for (DialogControl& control : box.controls) {
        GtkWidget* widget = static_cast<GtkWidget*>(control.widget);
        if (MnemonicOf(control.item->text) != letter || !widget || !gtk_widget_is_sensitive(widget)) continue;
        if (control.kind == ControlKind::PushButton) {
            UserPresses(box, control.item->id);
            return true;
        }
        if (control.kind == ControlKind::CheckBox) {
            gtk_widget_grab_focus(widget);
            GtkToggleButton* toggle = GTK_TOGGLE_BUTTON(widget);
            gtk_toggle_button_set_active(toggle, !gtk_toggle_button_get_active(toggle));
            return true;
        }
    }
    return false;
}

gboolean OnKeyPress(GtkWidget* window, GdkEventKey* event, gpointer) {
    DialogBox& box = BoxOf(window);
    if (box.ended) return TRUE;
    guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    DialogControl* focused = ControlOfWidget(box, gtk_window_get_focus(GTK_WINDOW(window)));
    switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
        // A push button with the focus is the default for the moment, as in Windows.
        UserPresses(box, focused && focused->kind == ControlKind::PushButton ? focused->item->id : DefaultButtonId(box));
        return TRUE;
    case GDK_KEY_Escape:
        UserPresses(box, IDCANCEL);
        return TRUE;
    case GDK_KEY_Tab:
    case GDK_KEY_KP_Tab:
    case GDK_KEY_ISO_Left_Tab:
        MoveFocus(box, GTK_WINDOW(window), event->keyval == GDK_KEY_ISO_Left_Tab || (modifiers & GDK_SHIFT_MASK));
        return TRUE;
    }
    // A bare letter types into a focused list (it picks an entry); Alt with it always works.
    bool alt = (modifiers & ~GDK_SHIFT_MASK) == GDK_MOD1_MASK;
    bool bare = (modifiers & ~GDK_SHIFT_MASK) == 0 && !(focused && focused->kind == ControlKind::ComboBox);
    gunichar character = gdk_keyval_to_unicode(gdk_keyval_to_lower(event->keyval));
    if ((alt || bare) && character > ' ' && character < 128)
        return ActivateMnemonic(box, static_cast<char>(character)) ? TRUE : FALSE;
    return FALSE;
}

gboolean OnDelete(GtkWidget* window, GdkEvent*, gpointer) {
    DialogBox& box = BoxOf(window);
    if (!box.ended) UserPresses(box, IDCANCEL);
    return TRUE;  // the dialog closes only through EndDialog
}

void OnClicked(GtkButton* button, gpointer data) {
    DialogBox& box = BoxOf(GTK_WIDGET(button));
    if (!box.ended) UserPresses(box, static_cast<DialogControl*>(data)->item->id);
}

void OnToggled(GtkToggleButton* button, gpointer data) {
    DialogBox& box = BoxOf(GTK_WIDGET(button));
    if (box.showingState || box.ended) return;
    UserSetsCheck(box, *static_cast<DialogControl*>(data), gtk_toggle_button_get_active(button) ? BST_CHECKED : BST_UNCHECKED);
}

void OnChanged(GtkComboBox* combo, gpointer data) {
    DialogBox& box = BoxOf(GTK_WIDGET(combo));
    int index = gtk_combo_box_get_active(combo);
    if (box.showingState || box.ended || index < 0) return;
    UserSelects(box, *static_cast<DialogControl*>(data), index);
}

GtkWidget* MakeWidget(DialogControl& control) {
    const DLGITEMRESOURCE& item = *control.item;
    switch (control.kind) {
    case ControlKind::PushButton: {
        GtkWidget* button = gtk_button_new_with_mnemonic(GtkMnemonicText(item.text).c_str());
        g_signal_connect(button, "clicked", G_CALLBACK(OnClicked), &control);
        return button;
    }
    case ControlKind::CheckBox: {
        GtkWidget* check = gtk_check_button_new_with_mnemonic(GtkMnemonicText(item.text).c_str());
        g_signal_connect(check, "toggled", G_CALLBACK(OnToggled), &control);
        return check;
    }
    case ControlKind::GroupBox:
        return gtk_frame_new(PlainText(item.text).c_str());
    case ControlKind::Static: {
        GtkWidget* label = gtk_label_new(PlainText(item.text).c_str());
        gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
        gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
        return label;
    }
    case ControlKind::ComboBox: {
        GtkWidget* combo = gtk_combo_box_text_new();
        g_signal_connect(combo, "changed", G_CALLBACK(OnChanged), &control);
        return combo;
    }
    }
    return nullptr;
}

GtkWidget* BuildWindow(DialogBox& box) {
    const DLGRESOURCE& resource = *box.resource;
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_set_data(G_OBJECT(window), "dialog-box", &box);
    gtk_window_set_title(GTK_WINDOW(window), resource.caption ? resource.caption : "");
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_set_modal(GTK_WINDOW(window), TRUE);
    gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_position(GTK_WINDOW(window), (resource.style & DS_CENTER) ? GTK_WIN_POS_CENTER : GTK_WIN_POS_NONE);
    gtk_style_context_add_class(gtk_widget_get_style_context(window), "win32-dialog");

    PangoFontDescription* font = FontOf(resource);
    BaseUnits units = MeasureFont(window, font);
    pango_font_description_free(font);

    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, ToPixels(resource.cx, units.x, 4), ToPixels(resource.cy, units.y, 8));
    gtk_container_add(GTK_CONTAINER(window), fixed);
    for (DialogControl& control : box.controls) {
        const DLGITEMRESOURCE& item = *control.item;
        GtkWidget* widget = MakeWidget(control);
        g_object_set_data(G_OBJECT(widget), "dialog-box", &box);
        // A drop-down list's template height is that of its open list; closed it is one line.
        int height = control.kind == ControlKind::ComboBox ? -1 : ToPixels(item.cy, units.y, 8);
        gtk_widget_set_size_request(widget, ToPixels(item.cx, units.x, 4), height);
        gtk_fixed_put(GTK_FIXED(fixed), widget, ToPixels(item.x, units.x, 4), ToPixels(item.y, units.y, 8));
        control.widget = widget;
        if (control.defaultButton) {
            gtk_widget_set_can_default(widget, TRUE);
            gtk_window_set_default(GTK_WINDOW(window), widget);
        }
    }
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), nullptr);
    return window;
}

// Sets widgets from the controls' state without the notifications a user's change sends.
struct ShowingState {
    DialogBox& box;
    explicit ShowingState(DialogBox& box) : box(box) { box.showingState = true; }
    ~ShowingState() { box.showingState = false; }
};

// The dialog on the display: -1 (with the reason on stderr) when there is no display.
INT_PTR RunOnDisplay(DialogBox& box, LPARAM initParam) {
    std::string problem;
    if (!OpenGtkDisplay(&problem)) {
        ReportDialogProblem(&box, problem);
        return -1;
    }
    GtkCssProvider* style = gtk_css_provider_new();
    gtk_css_provider_load_from_data(style, StyleSheet(*box.resource).c_str(), -1, nullptr);
    GdkScreen* screen = gdk_screen_get_default();
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(style), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    GtkWidget* window = BuildWindow(box);
    box.window = window;
    DialogControl* focus = FirstTabStop(box);
    if (box.procedure(HandleOf(box), WM_INITDIALOG, reinterpret_cast<WPARAM>(focus ? HandleOf(*focus) : nullptr), initParam) && focus)
        gtk_widget_grab_focus(static_cast<GtkWidget*>(focus->widget));
    if (!box.ended) {
        gtk_widget_show_all(window);
        gtk_window_present(GTK_WINDOW(window));
        while (!box.ended) gtk_main_iteration_do(TRUE);
    }

    for (DialogControl& control : box.controls) control.widget = nullptr;
    box.window = nullptr;
    gtk_widget_destroy(window);
    gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(style));
    g_object_unref(style);
    // Let the window disappear before the program goes on.
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    gdk_display_flush(gdk_display_get_default());
    return box.result;
}

}  // namespace

const DialogRunnerRecord displayDialogs = {"display", DisplayServerNamed, RunOnDisplay, ShowMessageOnScreen};

void ShowEntryAdded(DialogBox& box, DialogControl& control) {
    if (!control.widget) return;
    ShowingState showing(box);
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(control.widget), control.entries.back().c_str());
}

void ShowEntriesCleared(DialogBox& box, DialogControl& control) {
    if (!control.widget) return;
    ShowingState showing(box);
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(control.widget));
}

void ShowSelection(DialogBox& box, DialogControl& control) {
    if (!control.widget) return;
    ShowingState showing(box);
    gtk_combo_box_set_active(GTK_COMBO_BOX(control.widget), control.selection);
}

void ShowCheck(DialogBox& box, DialogControl& control) {
    if (!control.widget) return;
    ShowingState showing(box);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(control.widget), control.check == BST_CHECKED);
}

}  // namespace platform
