#include "plughost/module/import_patch.h"

#include <cstring>

int patchModuleImport(HMODULE module, const char* functionName, void* replacement) {
    char* base = reinterpret_cast<char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return 0;

    int patched = 0;
    auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; descriptor->Name != 0; ++descriptor) {
        // The name table survives binding; without one, the address table still holds names.
        const DWORD names = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk
                                                           : descriptor->FirstThunk;
        auto* nameThunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + names);
        auto* addressThunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; nameThunk->u1.AddressOfData != 0; ++nameThunk, ++addressThunk) {
            if (IMAGE_SNAP_BY_ORDINAL(nameThunk->u1.Ordinal)) continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + nameThunk->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), functionName) != 0) {
                continue;
            }
            DWORD oldProtection = 0;
            if (!VirtualProtect(&addressThunk->u1.Function, sizeof(void*), PAGE_READWRITE,
                                &oldProtection)) {
                continue;
            }
            addressThunk->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&addressThunk->u1.Function, sizeof(void*), oldProtection,
                           &oldProtection);
            ++patched;
        }
    }
    return patched;
}
