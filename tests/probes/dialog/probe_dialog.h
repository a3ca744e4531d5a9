// The probe's modal dialog: OK, Cancel, Open..., Save..., a check box, two trackbars, an
// edit field, a static mirroring the horizontal trackbar, a notifying picture and a
// preview drawn through the host's displayPixels. At OK or Cancel it reports what it
// holds and what notifications it saw (probe_report.h).
#pragma once

#include <windows.h>

struct FilterRecord;

// The dialog's result: IDOK or IDCANCEL, or -1 when it could not be created.
INT_PTR runProbeDialog(HINSTANCE module, FilterRecord* record);
