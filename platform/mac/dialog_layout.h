// The parameter dialog's layout on the Mac: the Windows template (DBRL_PARAM,
// resources/parameter_dialog.rc) restated as a table, in dialog units, and the
// mapping of dialog units to points. The mapping is the one Windows makes for
// the template's font at 96 DPI (base units 6 x 13), so each control, and the
// preview frame above all, is as many points on the Mac as it is pixels there,
// and the preview shows the picture reduced by the same factor.
#pragma once

#include "sdk/host_types.h"

enum class MacControlKind {
    defaultButton,  // Return presses it
    cancelButton,   // Escape presses it
    pushButton,
    checkBox,
    previewFrame,  // no view: an area the module draws into
    labelRight,
    labelLeft,
    slider,
    field,
    band,  // the decorative band, as large as its picture
};

struct ControlLayout {
    int32 id;  // kNoControl (platform/dialog_window.h) for the labels and the band
    MacControlKind kind;
    const char* text;
    int16 x, y, width, height;  // dialog units
};

constexpr int16 kDialogWidthUnits = 300;
constexpr int16 kDialogHeightUnits = 232;
constexpr char kDialogTitle[] = "Lumiveil";

extern const ControlLayout kParameterDialogLayout[];
extern const int32 kParameterDialogControlCount;

// Dialog units to points, rounded as Windows' MulDiv rounds.
int32 horizontalPoints(int32 units);
int32 verticalPoints(int32 units);
// The control's frame in points, in the dialog's coordinates (top left origin).
Rect controlFrame(const ControlLayout& control);
