// The GIMP plug-in's entry: registers plug-in-lumiveil under Filters > Light and
// Shadow and answers its calls in the three run modes. Nothing here throws: every
// failure goes back to GIMP as a status and a message.
#include <libgimp/gimp.h>

#include "gimp/drawable_filter.h"
#include "gimp/effect_values.h"
#include "gimp/filter_dialog.h"
#include "gimp/plugin_names.h"

namespace {

enum ArgumentIndex : gint {
    kArgRunMode,
    kArgImage,
    kArgDrawable,
    kArgRadiation,
    kArgAmount,
    kArgMist,
    kArgumentCount
};

// The status, and a message when it is an error (GIMP shows it to the user).
constexpr gint kReturnValuesWithMessage = 2;

gchar* text(const char* literal) { return const_cast<gchar*>(literal); }

void query() {
    static const GimpParamDef arguments[kArgumentCount] = {
        {GIMP_PDB_INT32, text("run-mode"),
         text("The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1) }")},
        {GIMP_PDB_IMAGE, text("image"), text("Input image (unused)")},
        {GIMP_PDB_DRAWABLE, text("drawable"), text("Input drawable, RGB or RGBA")},
        {GIMP_PDB_INT32, text("radiation"),
         text("Size of the averaging box (0 <= radiation <= 100)")},
        {GIMP_PDB_INT32, text("amount"), text("Strength of the blend (0 <= amount <= 100)")},
        {GIMP_PDB_INT32, text("mist"), text("Lift of the blacks (0 <= mist <= 100)")},
    };
    gimp_install_procedure(
        kProcedureName, "Soften the shadows toward their surroundings, with a misty lift",
        "Moves every pixel toward the rounded mean of a square box around it, the more the "
        "darker it is, then lifts the blacks. The same effect, byte for byte, as the "
        "Lumiveil filter module with the same settings; its .prm files load and save here.",
        "Lumiveil developers", "Lumiveil developers", "2024", "_Lumiveil...", "RGB*", GIMP_PLUGIN,
        kArgumentCount, 0, arguments, nullptr);
    gimp_plugin_menu_register(kProcedureName, kMenuPath);
}

EffectValues lastValues() {
    EffectValues values = kDefaultEffectValues;
    if (gimp_get_data_size(kProcedureName) == sizeof values) {
        gimp_get_data(kProcedureName, &values);
        if (!effectValuesInRange(values)) values = kDefaultEffectValues;
    }
    return values;
}

// Settings from the arguments of a non-interactive call, or a reason to refuse.
const char* argumentValues(gint argumentCount, const GimpParam* arguments, EffectValues* values) {
    if (argumentCount != kArgumentCount) {
        return "plug-in-lumiveil takes run-mode, image, drawable, radiation, amount and mist.";
    }
    values->radiation = arguments[kArgRadiation].data.d_int32;
    values->amount = arguments[kArgAmount].data.d_int32;
    values->mist = arguments[kArgMist].data.d_int32;
    if (!effectValuesInRange(*values)) {
        return "Radiation, amount and mist must each lie in 0..100.";
    }
    return nullptr;
}

void run(const gchar*, gint argumentCount, const GimpParam* arguments, gint* returnCount,
         GimpParam** returnValues) {
    static GimpParam values[kReturnValuesWithMessage];
    *returnCount = 1;
    *returnValues = values;
    values[0].type = GIMP_PDB_STATUS;
    values[0].data.d_status = GIMP_PDB_SUCCESS;

    gegl_init(nullptr, nullptr);
    const GimpRunMode runMode = GimpRunMode(arguments[kArgRunMode].data.d_int32);
    const gint32 drawable = arguments[kArgDrawable].data.d_drawable;

    GimpPDBStatusType status = GIMP_PDB_SUCCESS;
    const char* message = nullptr;
    EffectValues effect = lastValues();
    if (runMode == GIMP_RUN_NONINTERACTIVE) {
        message = argumentValues(argumentCount, arguments, &effect);
        if (message != nullptr) status = GIMP_PDB_CALLING_ERROR;
    }
    if (status == GIMP_PDB_SUCCESS) {
        message = drawableRefusal(drawable);
        if (message != nullptr) status = GIMP_PDB_EXECUTION_ERROR;
    }
    if (status == GIMP_PDB_SUCCESS && runMode == GIMP_RUN_INTERACTIVE &&
        !runFilterDialog(drawable, &effect)) {
        status = GIMP_PDB_CANCEL;
    }
    if (status == GIMP_PDB_SUCCESS) {
        message = filterDrawable(drawable, effect);
        if (message != nullptr) status = GIMP_PDB_EXECUTION_ERROR;
    }
    if (status == GIMP_PDB_SUCCESS) {
        gimp_set_data(kProcedureName, &effect, sizeof effect);
        if (runMode != GIMP_RUN_NONINTERACTIVE) gimp_displays_flush();
    }

    values[0].data.d_status = status;
    if (message != nullptr) {
        *returnCount = kReturnValuesWithMessage;
        values[1].type = GIMP_PDB_STRING;
        values[1].data.d_string = text(message);
    }
}

}  // namespace

const GimpPlugInInfo PLUG_IN_INFO = {nullptr, nullptr, query, run};

MAIN()
