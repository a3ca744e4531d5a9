#include "plughost/module/module_loader.h"

#include "plughost/cli/host_paths.h"

namespace {

constexpr char kPiplType[] = "PIPL";  // resource type names compare case-insensitively
constexpr int kStringBufferSize = 64 * 1024;

struct PiplSearch {
    bool found = false;
    bool byNumber = false;
    WORD lowestId = 0;
    std::string name;  // a PiPL named by a string rather than a number
    int count = 0;
};

BOOL CALLBACK collectPiplName(HMODULE, LPCSTR, LPSTR name, LONG_PTR context) {
    PiplSearch* search = reinterpret_cast<PiplSearch*>(context);
    ++search->count;
    if (IS_INTRESOURCE(name)) {
        const WORD id = LOWORD(reinterpret_cast<ULONG_PTR>(name));
        if (!search->byNumber || id < search->lowestId) search->lowestId = id;
        search->byNumber = true;
    } else if (!search->byNumber && search->name.empty()) {
        search->name = name;
    }
    search->found = true;
    return TRUE;
}

// The system's words for `code`; its "%1" (the file) becomes `fileName`.
std::string windowsError(DWORD code, const std::string& fileName) {
    char text[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
    std::string message = text;
    const size_t insert = message.find("%1");
    if (insert != std::string::npos) message.replace(insert, 2, fileName);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return "Windows error " + std::to_string(code) + (message.empty() ? "" : ": " + message);
}

}  // namespace

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A module file that is not there is said plainly, before Windows tries to load it.
bool moduleFileExists(const std::string& path, std::string* error) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    *error = userPath(path) + ": no such module file";
    return false;
}

bool openModuleAsData(const std::string& path, HMODULE* module, std::string* error) {
    if (!moduleFileExists(path, error)) return false;
    *module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (*module == nullptr) {
        const DWORD code = GetLastError();
        *error = "cannot open module " + userPath(path) + " (" +
                 windowsError(code, fileNameOf(path)) + ")";
        return false;
    }
    return true;
}

bool loadModuleForRun(const std::string& path, HMODULE* module, std::string* error) {
    if (!moduleFileExists(path, error)) return false;
    *module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (*module == nullptr) {
        const DWORD code = GetLastError();
        *error = "cannot load module " + userPath(path) + " (" +
                 windowsError(code, fileNameOf(path)) + "); is it built for " + kHostArchName + "?";
        return false;
    }
    return true;
}

bool readPiplBytes(HMODULE module, std::vector<uint8>* bytes, int* count, std::string* error) {
    PiplSearch search;
    EnumResourceNamesA(module, kPiplType, collectPiplName, reinterpret_cast<LONG_PTR>(&search));
    *count = search.count;
    if (!search.found) {
        *error = "the module has no PiPL resource";
        return false;
    }
    LPCSTR name = search.byNumber ? MAKEINTRESOURCEA(search.lowestId) : search.name.c_str();
    HRSRC resource = FindResourceA(module, name, kPiplType);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        *error =
            "cannot read the module's PiPL resource (" + windowsError(GetLastError(), "") + ")";
        return false;
    }
    const DWORD size = SizeofResource(module, resource);
    const uint8* begin = static_cast<const uint8*>(data);
    bytes->assign(begin, begin + size);
    return true;
}

bool loadModuleString(HMODULE module, int id, std::string* text) {
    std::vector<char> buffer(kStringBufferSize, 0);
    const int length = LoadStringA(module, UINT(id), buffer.data(), kStringBufferSize);
    if (length <= 0) return false;
    text->assign(buffer.data(), size_t(length));
    return true;
}
