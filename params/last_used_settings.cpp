#include "params/last_used_settings.h"

#include "params/parameter_defaults.h"
#include "params/parameter_file_codec.h"
#include "platform/files.h"
#include "platform/settings_file.h"
#include "sdk/host_constants.h"

int32 readLastUsedSettings(ParameterBlock& block) {
    PlatformFile file;
    int32 result = openLastUsedSettingsFile(&file);
    if (result != noErr) return result;
    ParameterFileImage image;
    int32 bytesRead = 0;
    result = readFromFile(file, image.bytes, sizeof image.bytes, &bytesRead);
    if (result == noErr) {
        int32 stamp = 0;
        ParameterSet decoded = {};
        if (decodeImage(image, bytesRead, stamp, decoded)) {
            block.header.stamp = stamp;
            copyParameterSet(decoded, block.body);
        }
    }
    closeFile(file);
    return result;
}

int32 writeLastUsedSettings(const ParameterBlock& block) {
    PlatformFile file;
    int32 result = openLastUsedSettingsFile(&file);
    if (result != noErr) return result;
    const ParameterFileImage image = encodeBlock(block.header, block.body);
    result = writeToFile(file, image.bytes, sizeof image.bytes);  // a short write is a failure
    closeFile(file);
    return result;
}
