#include "gimp/filter_dialog.h"

#include <libgimp/gimpui.h>

#include <cstring>

#include "gimp/plugin_names.h"
#include "gimp/preset_files.h"
#include "gimp/preview_render.h"

namespace {

// Buttons beside OK and Cancel; they act and keep the dialog open.
enum DialogResponse : gint { kResponseReset = 1, kResponseLoad, kResponseSave };

constexpr gint kSliderWidth = 200;
constexpr gint kDefaultSpinWidth = -1;  // the spin button's natural width
constexpr gint kSliderDigits = 0;       // whole percentages
constexpr gdouble kSliderStep = 1;
constexpr gdouble kSliderPage = 10;
constexpr guint kBorder = 12;
constexpr guint kSpacing = 6;
constexpr gint kSliderCount = 3;
constexpr char kPresetSuffix[] = ".prm";

struct SliderSpec {
    const char* label;
    const char* tooltip;
};

constexpr SliderSpec kSliders[kSliderCount] = {
    {"_Radiation (%):", "Size of the averaging box, up to 96 pixels each way"},
    {"_Amount (%):", "How far dark pixels move toward the mean of their box"},
    {"_Mist (%):", "How far black is lifted"},
};

struct DialogState {
    EffectValues values;  // what the sliders show; the caller's copy changes only on OK
    GtkObject* adjustments[kSliderCount];
    GtkWidget* dialog;
    GtkWidget* preview;
};

gint* settingOf(EffectValues& values, gint slider) {
    gint* settings[kSliderCount] = {&values.radiation, &values.amount, &values.mist};
    return settings[slider];
}

// Moving an adjustment writes its setting and invalidates the preview through
// the handlers that addSliders connects.
void showValues(DialogState& state, EffectValues shown) {
    for (gint slider = 0; slider < kSliderCount; ++slider) {
        gtk_adjustment_set_value(GTK_ADJUSTMENT(state.adjustments[slider]),
                                 *settingOf(shown, slider));
    }
}

void addSliders(DialogState& state, GtkWidget* box) {
    GtkWidget* table = gtk_table_new(kSliderCount, 3, FALSE);
    gtk_table_set_col_spacings(GTK_TABLE(table), kSpacing);
    gtk_table_set_row_spacings(GTK_TABLE(table), kSpacing);
    gtk_box_pack_start(GTK_BOX(box), table, FALSE, FALSE, 0);
    for (gint slider = 0; slider < kSliderCount; ++slider) {
        GtkObject* adjustment = gimp_scale_entry_new(
            GTK_TABLE(table), 0, slider, kSliders[slider].label, kSliderWidth, kDefaultSpinWidth,
            *settingOf(state.values, slider), kSettingMin, kSettingMax, kSliderStep, kSliderPage,
            kSliderDigits, TRUE, 0, 0, kSliders[slider].tooltip, nullptr);
        g_signal_connect(adjustment, "value-changed", G_CALLBACK(gimp_int_adjustment_update),
                         settingOf(state.values, slider));
        g_signal_connect_swapped(adjustment, "value-changed", G_CALLBACK(gimp_preview_invalidate),
                                 state.preview);
        state.adjustments[slider] = adjustment;
    }
    gtk_widget_show(table);
}

GtkWidget* presetChooser(DialogState& state, bool saving) {
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        saving ? "Save Lumiveil Parameters" : "Load Lumiveil Parameters", GTK_WINDOW(state.dialog),
        saving ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
        GTK_RESPONSE_CANCEL, saving ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileFilter* presets = gtk_file_filter_new();
    gtk_file_filter_set_name(presets, "Parameters (*.prm)");
    gtk_file_filter_add_pattern(presets, "*.prm");
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), presets);
    if (saving) {
        gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
    } else {
        GtkFileFilter* any = gtk_file_filter_new();
        gtk_file_filter_set_name(any, "Any (*.*)");
        gtk_file_filter_add_pattern(any, "*");
        gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), any);
    }
    return chooser;
}

// The chosen path (g_free it), or null when the chooser was cancelled.
gchar* choosePresetPath(DialogState& state, bool saving) {
    GtkWidget* chooser = presetChooser(state, saving);
    gchar* path = nullptr;
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
    }
    gtk_widget_destroy(chooser);
    return path;
}

void onLoad(DialogState& state) {
    gchar* path = choosePresetPath(state, false);
    if (path == nullptr) return;
    EffectValues loaded = state.values;
    switch (loadPresetFile(path, &loaded)) {
        case PresetLoad::loaded:
            showValues(state, loaded);
            break;
        case PresetLoad::unreadable:
            g_message("Lumiveil could not read %s.", path);
            break;
        case PresetLoad::notAPreset:
            g_message("%s is not a Lumiveil parameter file.", path);
            break;
    }
    g_free(path);
}

void onSave(DialogState& state) {
    gchar* path = choosePresetPath(state, true);
    if (path == nullptr) return;
    // As the module's save dialog does, a name typed without an extension gets .prm.
    const gchar* base = std::strrchr(path, G_DIR_SEPARATOR);
    if (std::strchr(base != nullptr ? base : path, '.') == nullptr) {
        gchar* withSuffix = g_strconcat(path, kPresetSuffix, nullptr);
        g_free(path);
        path = withSuffix;
    }
    if (!savePresetFile(path, state.values)) g_message("Lumiveil could not write %s.", path);
    g_free(path);
}

GtkWidget* newDialog() {
    return gimp_dialog_new("Lumiveil", kProgramName, nullptr, GtkDialogFlags(0),
                           gimp_standard_help_func, kProcedureName, "_Reset", kResponseReset,
                           "_Load...", kResponseLoad, "_Save...", kResponseSave, "_Cancel",
                           GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr);
}

}  // namespace

bool runFilterDialog(gint32 drawable, EffectValues* values) {
    gimp_ui_init(kProgramName, TRUE);

    DialogState state;
    state.values = *values;
    state.dialog = newDialog();
    gimp_window_set_transient(GTK_WINDOW(state.dialog));

    GtkWidget* box = gtk_vbox_new(FALSE, kSpacing);
    gtk_container_set_border_width(GTK_CONTAINER(box), kBorder);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(state.dialog))), box, TRUE,
                       TRUE, 0);
    gtk_widget_show(box);

    state.preview = gimp_drawable_preview_new_from_drawable_id(drawable);
    gtk_box_pack_start(GTK_BOX(box), state.preview, TRUE, TRUE, 0);
    gtk_widget_show(state.preview);
    g_signal_connect(state.preview, "invalidated", G_CALLBACK(renderPreview), &state.values);

    addSliders(state, box);
    gtk_widget_show(state.dialog);

    gint response = GTK_RESPONSE_NONE;
    for (;;) {
        response = gimp_dialog_run(GIMP_DIALOG(state.dialog));
        if (response == kResponseReset) {
            showValues(state, kDefaultEffectValues);
        } else if (response == kResponseLoad) {
            onLoad(state);
        } else if (response == kResponseSave) {
            onSave(state);
        } else {
            break;
        }
    }
    gtk_widget_destroy(state.dialog);

    if (response != GTK_RESPONSE_OK) return false;
    *values = state.values;
    return true;
}
