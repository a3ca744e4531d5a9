#!/bin/bash
# Cross-builds GEGL and what it needs for Windows x64, inside the Debian 13 build
# root that tools/build-gegl-windows.sh makes, from the upstream tarballs it put in
# /src, into one prefix:
#
#   build-in-root.sh PREFIX JOBS
#
# The libraries link libgcc statically, so the prefix's bin/ needs no compiler DLL
# beside them; the win32 thread model needs no winpthread DLL either.
set -euo pipefail
prefix=$1
jobs=$2
host=x86_64-w64-mingw32
src=/src
work=/build
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work" "$prefix/bin" "$prefix/include" "$prefix/lib/pkgconfig"

export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:/usr/$host/lib/pkgconfig"
export PKG_CONFIG_PATH=
export CC=$host-gcc-win32 CXX=$host-g++-win32
export CFLAGS="-O2 -I$prefix/include" CPPFLAGS="-I$prefix/include"
export LDFLAGS="-L$prefix/lib -static-libgcc"

cat >"$work/cross.ini" <<EOF
[binaries]
c = '$host-gcc-win32'
cpp = '$host-g++-win32'
ar = '$host-ar'
strip = '$host-strip'
windres = '$host-windres'
pkg-config = 'pkgconf'

[properties]
pkg_config_libdir = '$PKG_CONFIG_LIBDIR'

[built-in options]
c_args = ['-I$prefix/include']
cpp_args = ['-I$prefix/include']
c_link_args = ['-L$prefix/lib', '-static-libgcc']
cpp_link_args = ['-L$prefix/lib', '-static-libgcc', '-static-libstdc++']

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
EOF

step() { echo "== $1 ($(date +%T))"; }
# The folder a tarball unpacks into.
unpack() {
  local tarball
  tarball=$(ls "$src"/"$1"_*.orig.tar.* | head -n1)
  tar -xf "$tarball" -C "$work"
  tar -tf "$tarball" | sed -n '1s,/.*,,p'  # reads the whole list: no broken pipe
}
autotools() {
  local dir
  dir=$work/$(unpack "$1")
  shift
  [ -x "$dir/configure" ] || (cd "$dir" && autoreconf -fi)
  (cd "$dir" && ./configure --host=$host --prefix="$prefix" --enable-shared --disable-static "$@")
  # libffi configures its build in a folder named after the host.
  [ -f "$dir/$host/Makefile" ] && dir=$dir/$host
  make -C "$dir" -j"$jobs"
  make -C "$dir" install
}
meson_build() {
  local dir
  dir=$work/$(unpack "$1")
  shift
  meson_install "$dir" "$@"
}
# -O2, as the other libraries here: meson's release default, -O3, takes longer to
# compile and changes no result.
meson_install() {
  local dir=$1
  shift
  meson setup "$dir/_build" "$dir" --cross-file "$work/cross.ini" --prefix="$prefix" \
    --buildtype=release -Doptimization=2 --wrap-mode=nodownload "$@"
  ninja -C "$dir/_build" -j"$jobs" install
}

# babl's and GEGL's builds have no switch for their tests, examples and timing
# programs, which nothing here runs: their folders are cut from the build
# description before it is configured. Says so where one is missing.
without_subdirs() {
  local dir=$1 name
  shift
  for name in "$@"; do
    grep -q "^subdir('$name')" "$dir/meson.build" || echo "note: $dir/meson.build builds no $name/"
    sed -i "/^subdir('$name')/d" "$dir/meson.build"
  done
}
# GEGL builds each bundle of operations three times for x86-64: plain, -x86_64-v2
# and -x86_64-v3, and loads one of them, the one the processor suits best. Only the
# plain one is built here; it loads on every processor (GEGL falls back to it).
plain_operations_only() {
  local dir=$1
  grep -l "^if host_cpu_family == 'x86_64'" "$dir"/operations/*/meson.build |
    xargs -r sed -i "s/^if host_cpu_family == 'x86_64'/if false/"
}

step "libintl stand-in"
$CC -O2 -c "$here/libintl.c" -o "$work/libintl.o"
$host-ar rcs "$prefix/lib/libintl.a" "$work/libintl.o"
cp "$here/libintl.h" "$prefix/include/"

step zlib
cp "$(find "/usr/$host" -name zlib1.dll | head -n1)" "$prefix/bin/"

step pcre2
autotools pcre2 --disable-pcre2grep-jit --disable-pcre2grep-libz --disable-pcre2grep-libbz2

step libffi
autotools libffi --disable-docs --disable-multi-os-directory

step GLib
meson_build glib2.0 -Dtests=false -Dintrospection=disabled -Dnls=disabled -Dman-pages=disabled \
  -Ddocumentation=false -Dsysprof=disabled -Dlibelf=disabled

step babl
# babl loads every variant of its extensions on an x86-64-v3 processor: all are built.
dir=$work/$(unpack babl)
without_subdirs "$dir" tests tools
meson_install "$dir" -Dwith-lcms=false -Dwith-docs=false -Denable-gir=false -Denable-vapi=false \
  -Dgi-docgen=disabled

step json-glib
meson_build json-glib -Dintrospection=disabled -Ddocumentation=disabled \
  -Dman=false -Dtests=false -Dconformance=false -Dnls=disabled

step libpng
autotools libpng1.6 --disable-tests --disable-tools

step libjpeg-turbo
dir=$work/$(unpack libjpeg-turbo)
cmake -S "$dir" -B "$dir/_build" -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=AMD64 \
  -DCMAKE_C_COMPILER=$CC -DCMAKE_RC_COMPILER=$host-windres -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_STATIC=OFF -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF
cmake --build "$dir/_build" -j"$jobs"
cmake --install "$dir/_build"

step GEGL
dir=$work/$(unpack gegl)
without_subdirs "$dir" examples tests perf
plain_operations_only "$dir"
meson_install "$dir" --auto-features=disabled -Ddocs=false -Dintrospection=false -Dworkshop=false \
  -Dvapigen=disabled -Dgi-docgen=disabled -Dgtk-doc=false

step "export lists"
# What an operation module may import from each library, as module definition
# files for dlltool: the build makes its import libraries from these.
mkdir -p "$prefix/def"
for dll in libgegl-0.4-0 libbabl-0.1-0 libgobject-2.0-0 libglib-2.0-0 libgmodule-2.0-0; do
  (cd "$prefix/def" && gendef - "$prefix/bin/$dll.dll" >"$dll.def")
done
step done
