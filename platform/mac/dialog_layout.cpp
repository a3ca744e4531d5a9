#include "platform/mac/dialog_layout.h"

#include "platform/dialog_window.h"
#include "resources/resource_ids.h"

namespace {

// The template's font, MS Sans Serif 8, at 96 DPI: a dialog unit is a quarter
// of its average character width and an eighth of its height.
constexpr int32 kBaseWidth = 6;
constexpr int32 kBaseHeight = 13;
constexpr int32 kUnitsPerBaseWidth = 4;
constexpr int32 kUnitsPerBaseHeight = 8;
// The band's picture: 20 x 800 pixels, clipped by the dialog.
constexpr int16 kBandWidth = 20;
constexpr int16 kBandHeight = 800;

constexpr char kUnitText[] = "% ( 0 - 100 )";

// MulDiv for non-negative numbers: a * b / c rounded half up.
int32 mulDiv(int32 a, int32 b, int32 c) { return (a * b + c / 2) / c; }

}  // namespace

// The template's controls in its order (the tab order), with its texts.
const ControlLayout kParameterDialogLayout[] = {
    {IDC_OK, MacControlKind::defaultButton, "OK", 255, 10, 38, 14},
    {IDC_CANCEL, MacControlKind::cancelButton, "Cancel", 255, 30, 38, 14},
    {IDC_LOAD, MacControlKind::pushButton, "Load...", 255, 60, 38, 14},
    {IDC_SAVE, MacControlKind::pushButton, "Save...", 255, 80, 38, 14},
    {IDC_PREVIEW_FRAME, MacControlKind::previewFrame, "", 25, 10, 220, 150},
    {IDC_PREVIEW_CHECK, MacControlKind::checkBox, "Preview", 255, 135, 41, 11},
    {kNoControl, MacControlKind::labelRight, "Radiation", 30, 170, 35, 8},
    {kNoControl, MacControlKind::labelRight, "Amount", 30, 188, 35, 8},
    {kNoControl, MacControlKind::labelRight, "Mist", 30, 206, 35, 8},
    {IDC_RADIATION_SLIDER, MacControlKind::slider, "", 65, 167, 100, 15},
    {IDC_AMOUNT_SLIDER, MacControlKind::slider, "", 65, 185, 100, 15},
    {IDC_MIST_SLIDER, MacControlKind::slider, "", 65, 203, 100, 15},
    {IDC_RADIATION_FIELD, MacControlKind::field, "", 165, 169, 23, 11},
    {IDC_AMOUNT_FIELD, MacControlKind::field, "", 165, 187, 23, 11},
    {IDC_MIST_FIELD, MacControlKind::field, "", 165, 205, 23, 11},
    {kNoControl, MacControlKind::labelLeft, kUnitText, 190, 170, 50, 8},
    {kNoControl, MacControlKind::labelLeft, kUnitText, 190, 188, 50, 8},
    {kNoControl, MacControlKind::labelLeft, kUnitText, 190, 206, 50, 8},
    {kNoControl, MacControlKind::band, "", 0, 0, 0, 0},
};

const int32 kParameterDialogControlCount =
    sizeof kParameterDialogLayout / sizeof kParameterDialogLayout[0];

int32 horizontalPoints(int32 units) { return mulDiv(units, kBaseWidth, kUnitsPerBaseWidth); }

int32 verticalPoints(int32 units) { return mulDiv(units, kBaseHeight, kUnitsPerBaseHeight); }

Rect controlFrame(const ControlLayout& control) {
    if (control.kind == MacControlKind::band) return Rect{0, 0, kBandHeight, kBandWidth};
    // Place and size are mapped apart, as the dialog manager maps them.
    const int32 left = horizontalPoints(control.x);
    const int32 top = verticalPoints(control.y);
    return Rect{static_cast<int16>(top), static_cast<int16>(left),
                static_cast<int16>(top + verticalPoints(control.height)),
                static_cast<int16>(left + horizontalPoints(control.width))};
}
