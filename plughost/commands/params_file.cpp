#include "plughost/commands/params_file.h"

#include <cstdio>

#include "plughost/record/host_handles.h"

namespace {

constexpr size_t kChunkSize = 4096;

}  // namespace

bool readParamsFile(const std::string& path, std::vector<uint8>* bytes, bool* exists) {
    FILE* file = std::fopen(path.c_str(), "rb");
    *exists = file != nullptr;
    if (file == nullptr) return true;
    uint8 buffer[kChunkSize];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes->insert(bytes->end(), buffer, buffer + got);
    }
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool saveParamsFile(const std::string& path, Handle parameters, std::string* error) {
    if (parameters == nullptr) {
        std::remove(path.c_str());
        return true;
    }
    std::vector<uint8> bytes;
    std::string form;
    if (!readAnyHandle(parameters, &bytes, &form)) {
        *error = "cannot read the parameters handle the module left";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = "cannot write " + path;
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
