#include "platform/mac/user_notification.h"

#include "platform/mac/core_foundation.h"

namespace {

constexpr CFTimeInterval kNoTimeout = 0;

}  // namespace

void showUserNotice(const char* header, const char* message) {
    // The module's texts are ASCII.
    CFStringRef headerText = CFStringCreateWithCString(nullptr, header, kCFStringEncodingMacRoman);
    CFStringRef messageText =
        CFStringCreateWithCString(nullptr, message, kCFStringEncodingMacRoman);
    // Blocks until the user presses OK, the default button when none is named.
    CFUserNotificationDisplayNotice(kNoTimeout, kCFUserNotificationNoteAlertLevel, nullptr, nullptr,
                                    nullptr, headerText, messageText, nullptr);
    if (messageText) CFRelease(messageText);
    if (headerText) CFRelease(headerText);
}
