// The probe's About box: a captionless picture that closes on a click, Enter or
// Escape, and reports which of them closed it (about=click|enter|escape).
#pragma once

#include <windows.h>

void runProbeAbout(HINSTANCE module, HWND owner);
