/* A stand-in for GNU libintl, for the Windows GEGL that tools/gegl-windows runs the
   operation in: every message is its own translation. GLib and GEGL ask for a
   libintl even when built without translations; translations change only the
   text of messages, never a pixel, so the test stack does without them. */
#ifndef LUMIVEIL_LIBINTL_STAND_IN_H
#define LUMIVEIL_LIBINTL_STAND_IN_H

#include <locale.h>
#include <wchar.h>

/* Windows' C runtime has no LC_MESSAGES; gettext's callers name it all the same. */
#ifndef LC_MESSAGES
#define LC_MESSAGES 1729
#endif

#ifdef __cplusplus
extern "C" {
#endif

char *gettext(const char *message);
char *dgettext(const char *domain, const char *message);
char *dcgettext(const char *domain, const char *message, int category);
char *ngettext(const char *singular, const char *plural, unsigned long int n);
char *dngettext(const char *domain, const char *singular, const char *plural, unsigned long int n);
char *dcngettext(const char *domain, const char *singular, const char *plural, unsigned long int n,
                 int category);
char *textdomain(const char *domain);
char *bindtextdomain(const char *domain, const char *directory);
wchar_t *wbindtextdomain(const char *domain, const wchar_t *directory);
char *bind_textdomain_codeset(const char *domain, const char *codeset);

#ifdef __cplusplus
}
#endif

#endif
