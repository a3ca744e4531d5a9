#include "platform/message_box.h"

#include <windows.h>

void showErrorBox(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
}
