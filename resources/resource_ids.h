// Resource and control ids, shared by the resource script and the C++ code
// (plain #defines, as windres reads them too).
#pragma once

// Strings.
#define IDS_ERROR_CAPTION 2         /* "Lumiveil Plugin filter" */
#define IDS_FILTER_NAME 16000       /* "Lumiveil": the last-used settings file's name */
#define IDS_NEEDS_HOST_2_5 16997
#define IDS_INCOMPATIBLE_HOST 16998
#define IDS_NEEDS_HOST_2_5_2 16999

// The property list the host reads without calling the module.
#define IDR_PIPL 16000

// Dialogs and bitmaps.
#define IDD_PARAMETERS "DBRL_PARAM" /* a named template, not a numbered one */
#define IDD_ABOUT 16000
#define IDB_ABOUT_PICTURE 16000     /* 425 x 250, 8 bits per pixel, 64 palette entries */
#define IDB_DIALOG_BAND 16001       /* 20 x 800, 4 bits per pixel */

// Controls of the parameter dialog. OK and Cancel carry the ids the dialog
// manager sends for Enter and Escape (IDOK, IDCANCEL).
#define IDC_OK 1
#define IDC_CANCEL 2
#define IDC_LOAD 3
#define IDC_SAVE 4
#define IDC_PREVIEW_FRAME 5         /* invisible: only marks the preview area */
#define IDC_PREVIEW_CHECK 6
#define IDC_RADIATION_SLIDER 101    /* sliders 101..103 pair with fields 201..203 */
#define IDC_AMOUNT_SLIDER 102
#define IDC_MIST_SLIDER 103
#define IDC_RADIATION_FIELD 201
#define IDC_AMOUNT_FIELD 202
#define IDC_MIST_FIELD 203
#define IDC_STATIC_TEXT -1          /* plain statics; 65535 in the template */
