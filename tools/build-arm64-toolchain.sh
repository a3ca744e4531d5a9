#!/usr/bin/env bash
# Builds, once, what the machine's clang 14 needs besides itself to make ARM64
# Windows programs and modules: Debian has no ARM64 MinGW runtime, so it is made
# from Debian's own source packages into a folder outside the work tree:
#
#   <cache>/aarch64-w64-mingw32/include, lib   mingw-w64 headers and C runtime (UCRT),
#                                              libc++, libc++abi and libunwind (static)
#   <cache>/clang/lib/windows                  compiler-rt's builtins, in a resource
#                                              folder whose headers are clang's own
#   <cache>/bin/aarch64-w64-mingw32-clang, -clang++, -windres   the compilers, with all of it set
#
# cmake/toolchain-aarch64-w64-mingw32.cmake uses them. A second run finds the
# stamp and does nothing. Root is needed only to install missing packages.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/tools/apt-packages.sh"
who=arm64-toolchain

cache="${LUMIVEIL_ARM64_TOOLCHAIN:-/var/cache/lumiveil/arm64-toolchain}"
jobs="${LUMIVEIL_JOBS:-2}"
triple=aarch64-w64-mingw32
llvm_version=14
mingw_package=mingw-w64 llvm_package=llvm-toolchain-$llvm_version
# What the stamp records: a change here rebuilds the toolchain.
recipe="mingw-w64 10 ucrt; llvm $llvm_version builtins libunwind libc++abi libc++; static"
stamp="$cache/.lumiveil-ready"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  echo "$who: ARM64 toolchain present at $cache"
  exit 0
fi

apt_missing "clang-$llvm_version" "lld-$llvm_version" "llvm-$llvm_version" cmake make dpkg-dev
if [ "${#apt_need[@]}" -gt 0 ]; then
  apt_install "$who" "${apt_need[@]}" || exit 1
fi
llvm_bin=$(llvm-config-$llvm_version --bindir 2>/dev/null || echo "/usr/lib/llvm-$llvm_version/bin")
resource_headers=$("$llvm_bin/clang" -print-resource-dir)/include
windres=x86_64-w64-mingw32-windres  # the x64 build's, so installed already
mirror=$(release_mirror "$who" "no ARM64 toolchain is built") || exit 1

started=$(date +%s)
work="$cache.work"  # sources and build folders; removed when all is done
rm -rf "$cache" "$work"
mkdir -p "$cache/bin" "$cache/clang/lib/windows" "$work/apt/lists/partial"
log="$work/build.log"
echo "$who: building the ARM64 toolchain into $cache (log: $log)"

fail() { echo "$who: $1 failed: $(grep -m1 -iE 'error|^E:' "$log" || tail -n1 "$log")" >&2; exit 1; }

# --- sources ---------------------------------------------------------------
# A package list of its own, with the release's source lines only, so the
# machine's own apt configuration is left as it is.
fetch_sources() {
  local apt_options
  echo "deb-src $mirror $(apt_codename) main" >"$work/apt/sources.list"
  apt_options=(-o Dir::Etc::sourcelist="$work/apt/sources.list" -o Dir::Etc::sourceparts=-
               -o Dir::State::Lists="$work/apt/lists" -o APT::Get::List-Cleanup=0)
  apt-get "${apt_options[@]}" update -qq
  (cd "$work" && apt-get "${apt_options[@]}" source -qq "$mingw_package" &&
    apt-get "${apt_options[@]}" source -qq --download-only "$llvm_package")
  # Of LLVM's 130 MB only the runtimes and the CMake modules they share are
  # unpacked; Debian's patches to it concern Linux packaging, not these parts.
  mkdir -p "$work/llvm"
  tar -xJf "$work"/"${llvm_package}"_*.orig.tar.xz -C "$work/llvm" --strip-components=1 \
    --wildcards '*/compiler-rt' '*/libcxx' '*/libcxxabi' '*/libunwind' '*/runtimes' \
    '*/cmake' '*/llvm/utils'
}

# --- compilers -------------------------------------------------------------
# clang's MinGW driver finds <sysroot>/aarch64-w64-mingw32/include and lib; the
# resource folder holds the builtins beside clang's own headers (arm_neon.h...).
# The runtime options matter only when linking; compiling, clang would warn that
# they go unused, once per file.
write_compilers() {
  local name driver
  for name in clang clang++; do
    driver="$cache/bin/$triple-$name"
    cat >"$driver" <<EOF
#!/bin/sh
exec "$llvm_bin/$name" --target=$triple --sysroot="$cache" -resource-dir="$cache/clang" \\
  -rtlib=compiler-rt -unwindlib=libunwind -stdlib=libc++ -fuse-ld=lld \\
  -Wno-unused-command-line-argument "\$@"
EOF
    chmod +x "$driver"
  done
  ln -s "$resource_headers" "$cache/clang/include"
  # Resources: llvm-rc refuses templates named by a quoted string, which the
  # module's are, so GNU windres compiles them as for the x86 modules, into the
  # processor-independent .res form, and llvm-cvtres makes that an ARM64 object
  # (time stamp 0). Called as CMake calls windres: ... SOURCE OBJECT.
  cat >"$cache/bin/$triple-windres" <<EOF
#!/bin/bash
set -e
arguments=("\$@")
object=\${arguments[-1]}
unset 'arguments[-1]'
for i in "\${!arguments[@]}"; do
  [ "\${arguments[i]}" = -O ] && arguments[i+1]=res
done
$windres "\${arguments[@]}" "\$object.res"
exec "$llvm_bin/llvm-cvtres" /MACHINE:ARM64 /TIMESTAMP:0 /OUT:"\$object" "\$object.res"
EOF
  chmod +x "$cache/bin/$triple-windres"
}

# --- mingw-w64 headers and C runtime ----------------------------------------
build_mingw() {
  local source
  source=$(find "$work" -maxdepth 1 -type d -name "$mingw_package-*" | head -n1)
  mkdir -p "$work/headers" "$work/crt"
  # Built once into a fresh folder: make need not track what each file includes.
  (cd "$work/headers" && "$source/mingw-w64-headers/configure" --host="$triple" \
    --prefix="$cache/$triple" --with-default-msvcrt=ucrt --disable-dependency-tracking &&
    make install) >>"$log" 2>&1
  (cd "$work/crt" && "$source/mingw-w64-crt/configure" --host="$triple" \
    --prefix="$cache/$triple" --with-default-msvcrt=ucrt --disable-dependency-tracking \
    --disable-lib32 --disable-lib64 --enable-libarm64 \
    CC="$cache/bin/$triple-clang" CXX="$cache/bin/$triple-clang++" \
    AR="$llvm_bin/llvm-ar" RANLIB="$llvm_bin/llvm-ranlib" DLLTOOL="$llvm_bin/llvm-dlltool" &&
    nice -n 10 make -j"$jobs" && make install) >>"$log" 2>&1
}

# CMake settings every LLVM runtime shares: cross to Windows on ARM64 with the
# compilers above; test programs are not linked, since what they would link to
# is what is being built.
cmake_cross=()
set_cmake_cross() {
  cmake_cross=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=ARM64
    -DCMAKE_C_COMPILER="$cache/bin/$triple-clang" -DCMAKE_CXX_COMPILER="$cache/bin/$triple-clang++"
    -DCMAKE_C_COMPILER_TARGET=aarch64-w64-windows-gnu -DCMAKE_CXX_COMPILER_TARGET=aarch64-w64-windows-gnu
    -DCMAKE_AR="$llvm_bin/llvm-ar" -DCMAKE_RANLIB="$llvm_bin/llvm-ranlib"
    -DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY -DLLVM_CONFIG_PATH=
    -DCMAKE_C_FLAGS=-ffile-prefix-map="$work"=. -DCMAKE_CXX_FLAGS=-ffile-prefix-map="$work"=.)
}

# --- compiler-rt builtins ---------------------------------------------------
build_builtins() {
  cmake -S "$work/llvm/compiler-rt/lib/builtins" -B "$work/builtins" "${cmake_cross[@]}" \
    -DCOMPILER_RT_DEFAULT_TARGET_ONLY=ON -DCOMPILER_RT_BAREMETAL_BUILD=OFF \
    -DCMAKE_INSTALL_PREFIX="$work/builtins-install" >>"$log" 2>&1 &&
    nice -n 10 cmake --build "$work/builtins" -j"$jobs" >>"$log" 2>&1 &&
    cmake --install "$work/builtins" >>"$log" 2>&1 &&
    cp "$(find "$work/builtins-install" -name 'libclang_rt.builtins*.a' | head -n1)" \
      "$cache/clang/lib/windows/libclang_rt.builtins-aarch64.a"
}

# --- libunwind, libc++abi, libc++ -------------------------------------------
# Static only: the module and plughost link them in and import system DLLs alone.
build_cxx() {
  cmake -S "$work/llvm/runtimes" -B "$work/cxx" "${cmake_cross[@]}" \
    -DLLVM_ENABLE_RUNTIMES="libunwind;libcxxabi;libcxx" \
    -DCMAKE_INSTALL_PREFIX="$cache/$triple" \
    -DLIBUNWIND_ENABLE_SHARED=OFF -DLIBUNWIND_USE_COMPILER_RT=ON \
    -DLIBCXXABI_ENABLE_SHARED=OFF -DLIBCXXABI_USE_COMPILER_RT=ON -DLIBCXXABI_USE_LLVM_UNWINDER=ON \
    -DLIBCXXABI_ENABLE_STATIC_UNWINDER=ON -DLIBCXXABI_LIBCXX_INCLUDES="$work/cxx/include/c++/v1" \
    -DLIBCXX_ENABLE_SHARED=OFF -DLIBCXX_USE_COMPILER_RT=ON -DLIBCXX_CXX_ABI=libcxxabi \
    -DLIBCXX_ENABLE_STATIC_ABI_LIBRARY=ON -DLIBCXX_HAS_WIN32_THREAD_API=ON \
    -DLIBCXX_ENABLE_EXPERIMENTAL_LIBRARY=OFF -DLIBCXX_INCLUDE_BENCHMARKS=OFF \
    -DLIBCXX_INCLUDE_TESTS=OFF -DLIBCXXABI_INCLUDE_TESTS=OFF -DLIBUNWIND_INCLUDE_TESTS=OFF \
    >>"$log" 2>&1 &&
    nice -n 10 cmake --build "$work/cxx" -j"$jobs" >>"$log" 2>&1 &&
    cmake --install "$work/cxx" >>"$log" 2>&1
}

fetch_sources >>"$log" 2>&1 || fail "fetching the source packages"
write_compilers
build_mingw || fail "building the mingw-w64 headers and C runtime"
set_cmake_cross
build_builtins || fail "building compiler-rt's builtins"
build_cxx || fail "building libc++"

echo "$recipe" >"$stamp"
mv "$log" "$cache/build.log"
rm -rf "$work"
echo "$who: ARM64 toolchain built in $(( $(date +%s) - started )) s with $jobs jobs"
