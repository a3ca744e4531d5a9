# What the Debian roots that the install steps make (the GIMP 3 root, the arm64
# Wine root, the Windows GEGL's build root) leave out: sourced by those steps.
#
#   lean_root ROOT   after debootstrap, before the root's own packages: apt fetches
#                    no translated package descriptions and installs no recommended
#                    packages, and dpkg unpacks no documentation, manual pages or
#                    message translations, which nothing run in a root reads
lean_root() {
  mkdir -p "$1/etc/dpkg/dpkg.cfg.d" "$1/etc/apt/apt.conf.d"
  printf 'path-exclude=/usr/share/%s/*\n' doc man info locale >"$1/etc/dpkg/dpkg.cfg.d/lumiveil-lean"
  printf '%s\n' 'Acquire::Languages "none";' 'APT::Install-Recommends "false";' \
    >"$1/etc/apt/apt.conf.d/lumiveil-lean"
}
