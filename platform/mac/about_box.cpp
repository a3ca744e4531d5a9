// The About box on the Mac, until it has a window of its own: a notice naming
// the filter, its version and its maker. The Mac has no host window to place it
// over (the record's PlatformData is a dummy), so the record is not read.

#include "platform/about_box.h"

#include "platform/mac/user_notification.h"
#include "platform/module_strings.h"
#include "resources/resource_ids.h"

namespace {

constexpr int32 kCaptionCapacity = 128;
// LUMIVEIL_RELEASE_VERSION: the VERSION file's major.minor.patch, from the build.
constexpr char kAboutText[] =
    "Lumiveil " LUMIVEIL_RELEASE_VERSION "\nHarborlight Effects\nQuiet Harbor Studio";

}  // namespace

void showAboutBox(const AboutRecord* /*record: nothing of it is used on the Mac*/) {
    char caption[kCaptionCapacity] = "";
    loadModuleString(IDS_ERROR_CAPTION, caption, kCaptionCapacity);
    showUserNotice(caption, kAboutText);
}
