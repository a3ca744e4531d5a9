// Resource and control ids of the dialog probe, shared by the resource script and the
// code (plain #defines, as windres reads them too).
#pragma once

#define IDR_PROBE_PIPL 16000
#define IDD_PROBE_DIALOG 100
#define IDD_PROBE_ABOUT 200

// The probe dialog. OK and Cancel are IDOK (1) and IDCANCEL (2).
#define IDC_PROBE_OPEN 3      /* GetOpenFileNameA; the chosen path goes to IDC_PROBE_OPENED */
#define IDC_PROBE_SAVE 4      /* GetSaveFileNameA; writes a small file there */
#define IDC_PROBE_CHECK 6     /* auto check box */
#define IDC_PROBE_SLIDER 101  /* horizontal trackbar, 0..100 */
#define IDC_PROBE_VSLIDER 102 /* vertical trackbar, 0..100 */
#define IDC_PROBE_EDIT 201
#define IDC_PROBE_MIRROR 301 /* the slider's value, on thumb-track and thumb-position only */
#define IDC_PROBE_OPENED 302
#define IDC_PROBE_SAVED 303
#define IDC_PROBE_PICTURE 401 /* bitmap static with SS_NOTIFY */
#define IDC_PROBE_PREVIEW 402 /* invisible: marks where the host draws the preview */
#define IDC_PROBE_HIDDEN 403  /* a static that is never shown */

// The About box: one notifying picture that fills it.
#define IDC_ABOUT_PICTURE 501
