#include "platform/module_strings.h"

#include <windows.h>

#include "platform/win/module_instance.h"

int32 loadModuleString(uint32 stringId, char* text, int32 capacity) {
    const int length = LoadStringA(moduleInstance(), stringId, text, capacity);
    return length > 0 ? length : 0;
}
