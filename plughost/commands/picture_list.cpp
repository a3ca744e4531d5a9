#include "plughost/commands/picture_list.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

#include "plughost/cli/host_paths.h"
#include "plughost/module/module_loader.h"
#include "plughost/pictures/image_files.h"

namespace {

constexpr char kPatternPrefix[] = "pattern:";
constexpr char kDefaultExtension[] = ".png";  // for results of pictures in other formats

bool isPattern(const std::string& input) { return input.rfind(kPatternPrefix, 0) == 0; }

bool isFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string lowered(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool isPictureName(const std::string& name) {
    const std::string lower = lowered(name);
    for (const char* extension : {".png", ".jpg", ".jpeg", ".bmp"}) {
        const std::string e = extension;
        if (lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> picturesInFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            isPictureName(found.cFileName)) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// The result's file name: the picture's own, or with .png where that format
// cannot be written; a pattern is named after its size.
std::string resultName(const Picture& picture) {
    if (isPattern(picture.input)) {
        return "pattern-" + picture.input.substr(sizeof kPatternPrefix - 1) + kDefaultExtension;
    }
    const std::string name = fileNameOf(picture.input);
    if (isWritableImageName(name)) return name;
    const size_t dot = name.find_last_of('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + kDefaultExtension;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder + name;
    return folder + "\\" + name;
}

}  // namespace

bool listPictures(const HostOptions& o, std::vector<Picture>* pictures, std::string* error) {
    pictures->clear();
    for (const std::string& input : o.inputs) {
        if (!isPattern(input) && isFolder(input)) {
            const std::vector<std::string> names = picturesInFolder(input);
            if (names.empty()) {
                *error = userPath(input) + ": a folder with no PNG, JPEG or BMP picture in it";
                return false;
            }
            for (const std::string& name : names) {
                const std::string path = joinPath(input, name);
                pictures->push_back({path, userPath(path), ""});
            }
        } else {
            pictures->push_back({input, userPath(input), ""});
        }
    }
    if (!o.output.empty()) {
        if (pictures->size() > 1) {
            *error = std::to_string(pictures->size()) +
                     " pictures need --out-dir FOLDER rather than one --out file";
            return false;
        }
        pictures->front().output = o.output;
    }
    if (o.outputDir.empty()) return true;
    CreateDirectoryA(o.outputDir.c_str(), nullptr);  // an existing folder is fine
    if (!isFolder(o.outputDir)) {
        *error = userPath(o.outputDir) + ": cannot make this folder for the results";
        return false;
    }
    std::vector<std::string> taken;
    for (Picture& picture : *pictures) {
        picture.output = joinPath(o.outputDir, resultName(picture));
        const std::string key = lowered(picture.output);
        if (std::find(taken.begin(), taken.end(), key) != taken.end()) {
            *error = "two pictures would leave their results in " + userPath(picture.output);
            return false;
        }
        for (const Picture& other : *pictures) {
            if (lowered(other.input) == key) {
                *error = "the result of " + picture.shownName + " would overwrite the picture " +
                         other.shownName + "; choose another --out-dir";
                return false;
            }
        }
        taken.push_back(key);
    }
    return true;
}
