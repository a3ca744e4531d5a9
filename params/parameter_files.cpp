// Neither function shows a message: a failure is returned and the dialog stays as it was.

#include "params/parameter_files.h"

#include "params/current_parameters.h"
#include "params/parameter_defaults.h"
#include "params/parameter_file_codec.h"
#include "text/text_toolkit.h"

namespace {

// A name's characters as the image stores them (the system's code page on
// Windows): at most three bytes a path unit (the code page may be UTF-8), so a
// name that fits the dialog's buffer fits here.
constexpr int kStoredNameCapacity = 3 * kFileNameCapacity;

}  // namespace

int32 loadParameterFileAt(const PathUnit* path) {
    PlatformFile file;
    int32 result = openFile(path, FileOpening::readExisting, &file);
    if (result != 0) return result;
    ParameterFileImage image;
    int32 bytesRead = 0;
    result = readFromFile(file, image.bytes, sizeof image.bytes, &bytesRead);
    if (result == 0) {
        int32 stamp = 0;  // dropped: only the settings file keeps stamps
        ParameterSet decoded = {};
        if (decodeImage(image, bytesRead, stamp, decoded)) {
            copyParameterSet(decoded, currentParameters());
            clampSettings(currentParameters());
        }
    }
    closeFile(file);
    return result;
}

int32 saveParameterFileAt(const PathUnit* path, const PathUnit* ownName) {
    // The name field holds single-byte text: the file's own name as the system
    // spells it in single bytes (on Windows the code page, the bytes that the ANSI
    // save dialog has always given). Converted before the file is made, so a name
    // that cannot be converted leaves nothing behind.
    char storedName[kStoredNameCapacity] = "";
    int32 result = fileNameAsStoredText(ownName, storedName, kStoredNameCapacity);
    if (result != 0) return result;
    PlatformFile file;
    result = openFile(path, FileOpening::createEmpty, &file);
    if (result != 0) return result;

    // The file carries its own name (extension included) over the start of the current one.
    uint8 imageName[kNameBufferSize];
    cStringToLString(storedName, imageName);
    const ParameterBlockHeader header = {kBlockSignature, kBlockKind,  kBlockVersion,
                                         kBlockTag,       kBlockLevel, kSavedFileStamp};
    ParameterFileImage image = encodeBlock(header, currentParameters());
    overwriteImageName(image, imageName);

    result = writeToFile(file, image.bytes, sizeof image.bytes);
    closeFile(file);
    return result;
}
