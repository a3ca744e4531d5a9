/* The libintl stand-in (see libintl.h): no catalogues, so every lookup answers with
   the message it was given, in English, and the domain calls only echo. */
#include "libintl.h"

char *gettext(const char *message) { return (char *)message; }

char *dgettext(const char *domain, const char *message) {
  (void)domain;
  return (char *)message;
}

char *dcgettext(const char *domain, const char *message, int category) {
  (void)domain;
  (void)category;
  return (char *)message;
}

char *ngettext(const char *singular, const char *plural, unsigned long int n) {
  return (char *)(n == 1 ? singular : plural);
}

char *dngettext(const char *domain, const char *singular, const char *plural, unsigned long int n) {
  (void)domain;
  return ngettext(singular, plural, n);
}

char *dcngettext(const char *domain, const char *singular, const char *plural, unsigned long int n,
                 int category) {
  (void)domain;
  (void)category;
  return ngettext(singular, plural, n);
}

/* The domain GLib and GEGL set is their own; with no catalogues it selects nothing. */
static char current_domain[] = "messages";

char *textdomain(const char *domain) {
  (void)domain;
  return current_domain;
}

char *bindtextdomain(const char *domain, const char *directory) {
  (void)domain;
  return (char *)directory;
}

wchar_t *wbindtextdomain(const char *domain, const wchar_t *directory) {
  (void)domain;
  return (wchar_t *)directory;
}

char *bind_textdomain_codeset(const char *domain, const char *codeset) {
  (void)domain;
  return (char *)codeset;
}
