// The error box on the Mac: a CoreFoundation user notification, a modal alert
// that needs no window of the host's and no Objective-C.

#include "platform/message_box.h"

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

constexpr CFStringEncoding kCFStringEncodingMacRoman = 0;  // the table's texts are ASCII
constexpr CFOptionFlags kCFUserNotificationStopAlertLevel = 0;
constexpr CFTimeInterval kNoTimeout = 0;

}  // namespace

void showErrorBox(const char* text, const char* caption) {
    CFStringRef header = CFStringCreateWithCString(nullptr, caption, kCFStringEncodingMacRoman);
    CFStringRef message = CFStringCreateWithCString(nullptr, text, kCFStringEncodingMacRoman);
    // Blocks until the user presses OK, the default button when none is named.
    CFUserNotificationDisplayNotice(kNoTimeout, kCFUserNotificationStopAlertLevel, nullptr, nullptr,
                                    nullptr, header, message, nullptr);
    if (message) CFRelease(message);
    if (header) CFRelease(header);
}
