// The string table on the Mac: the same texts as the Windows modules' string
// table (resources/string_texts.h), compiled in.

#include "platform/module_strings.h"

#include <cstring>

#include "resources/string_texts.h"

namespace {

struct ModuleString {
    uint32 id;
    const char* text;
};

#define LUMIVEIL_TABLE_ENTRY(id, text) {id, text},
constexpr ModuleString kModuleStrings[] = {LUMIVEIL_STRING_TABLE(LUMIVEIL_TABLE_ENTRY)};
#undef LUMIVEIL_TABLE_ENTRY

}  // namespace

int32 loadModuleString(uint32 stringId, char* text, int32 capacity) {
    if (!text || capacity <= 0) return 0;
    for (const ModuleString& entry : kModuleStrings) {
        if (entry.id != stringId) continue;
        int32 length = static_cast<int32>(std::strlen(entry.text));
        if (length > capacity - 1) length = capacity - 1;
        std::memcpy(text, entry.text, static_cast<size_t>(length));
        text[length] = '\0';
        return length;
    }
    text[0] = '\0';
    return 0;
}
