#include "platform/mac/user_notification.h"

extern "C" {
// CoreFoundation (CFString.h, CFUserNotification.h), with Darwin's types.
typedef const void* CFStringRef;
typedef const void* CFURLRef;
typedef const void* CFAllocatorRef;
typedef unsigned long CFOptionFlags;
typedef double CFTimeInterval;
typedef int SInt32;
typedef unsigned int CFStringEncoding;
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text,
                                      CFStringEncoding encoding);
void CFRelease(const void* object);
SInt32 CFUserNotificationDisplayNotice(CFTimeInterval timeout, CFOptionFlags flags,
                                       CFURLRef iconURL, CFURLRef soundURL,
                                       CFURLRef localizationURL, CFStringRef alertHeader,
                                       CFStringRef alertMessage, CFStringRef defaultButtonTitle);
}

namespace {

constexpr CFStringEncoding kCFStringEncodingMacRoman = 0;  // the module's texts are ASCII
constexpr CFOptionFlags kCFUserNotificationNoteAlertLevel = 1;
constexpr CFTimeInterval kNoTimeout = 0;

}  // namespace

void showUserNotice(const char* header, const char* message) {
    CFStringRef headerText = CFStringCreateWithCString(nullptr, header, kCFStringEncodingMacRoman);
    CFStringRef messageText =
        CFStringCreateWithCString(nullptr, message, kCFStringEncodingMacRoman);
    // Blocks until the user presses OK, the default button when none is named.
    CFUserNotificationDisplayNotice(kNoTimeout, kCFUserNotificationNoteAlertLevel, nullptr, nullptr,
                                    nullptr, headerText, messageText, nullptr);
    if (messageText) CFRelease(messageText);
    if (headerText) CFRelease(headerText);
}
