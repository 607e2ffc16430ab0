#!/usr/bin/env bash
# Builds wxWidgets for Windows (wxMSW) once and prints the folder it is
# installed in: wxmsw.sh
#
# The sources are Debian's own wxwidgets3.2 package, at the version the Linux
# build uses, cross-compiled with mingw-w64 (posix threads) into static
# libraries with only what the program needs. The result is kept outside the
# checkout, in a folder named after the wx version and a hash of everything
# that shapes the build, so later runs on the same machine reuse it.
# Progress goes to stderr; stdout carries only the folder. Needs root for the
# deb-src entry on the first run (scripts/setup.sh --windows installs the rest).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# The source package of the wx the Linux build is linked with.
version=$(dpkg-query -W -f='${source:Version}' libwxgtk3.2-dev)
upstream=${version%%+*}

# Static, Unicode, and without the libraries and modules a dialog never uses
# (the dfsg tarball lacks the bundled image, zlib and expat sources anyway).
flags=(
  --host=x86_64-w64-mingw32 --build=x86_64-linux-gnu
  --with-msw --disable-shared --enable-unicode
  --without-zlib --without-libpng --without-libjpeg --without-libtiff --without-expat
  --without-regex --without-liblzma --without-nanosvg --without-opengl --without-libcurl
  --disable-html --disable-xrc --disable-aui --disable-stc --disable-richtext --disable-webview
  --disable-mediactrl --disable-sockets --disable-propgrid --disable-ribbon --disable-grid
  --disable-svg --disable-printarch --disable-help --disable-mshtmlhelp --disable-webrequest
  --disable-sound --disable-joystick --disable-sys-libs
  CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix
  "CXXFLAGS=-O2 -std=gnu++17" "CFLAGS=-O2"
)
# Raise when the steps below change what gets installed.
recipe=1
compiler=$(x86_64-w64-mingw32-g++-posix --version | head -n1)
key=$(printf '%s\n' "$recipe" "$version" "$compiler" "${flags[@]}" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/tavendrillox
prefix=$cache/wxmsw-$upstream-$key

if [[ -f $prefix/.complete ]]; then
  echo "wxMSW $upstream: reusing $prefix" >&2
  echo "$prefix"
  exit 0
fi

# Adds a deb-src entry for the release's main component, next to the deb
# entries already configured (same mirrors), so apt-get source can fetch.
add_source_entry() {
  local codename list=/etc/apt/sources.list.d/tavendrillox-src.sources
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  if apt-get source --print-uris -qq "wxwidgets3.2=$version" 2>/dev/null | grep -q "\.dsc'"; then return; fi
  echo "Adding a deb-src entry for $codename main ($list)" >&2
  {
    for f in /etc/apt/sources.list.d/*.sources; do
      [[ -f $f && $f != "$list" ]] || continue
      awk -v suite="$codename" 'BEGIN { RS = ""; ORS = "\n\n" }
        $0 ~ /(^|\n)Types:[^\n]*deb( |\n|$)/ && $0 ~ ("(^|\n)Suites:[^\n]* " suite "( |\n|$)") {
          n = split($0, lines, "\n"); out = ""
          for (i = 1; i <= n; i++) {
            line = lines[i]
            if (line ~ /^#/) continue
            if (line ~ /^Types:/) line = "Types: deb-src"
            if (line ~ /^Suites:/) line = "Suites: " suite
            if (line ~ /^Components:/) line = "Components: main"
            out = out line "\n"
          }
          printf "%s\n", out
        }' "$f"
    done
    # One-line entries (sources.list) become one stanza each.
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [[ -f $f ]] || continue
      awk -v suite="$codename" '$1 == "deb" && $0 !~ /\[/ && $3 == suite {
          printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\n\n", $2, suite }' "$f"
    done
  } >"$list.tmp"
  if [[ ! -s $list.tmp ]]; then
    rm -f "$list.tmp"
    echo "No Debian $codename entry found in the apt sources to add deb-src to" >&2
    exit 1
  fi
  mv "$list.tmp" "$list"
  apt-get -o DPkg::Lock::Timeout=900 update -qq >&2
}

work=$cache/wxmsw-work-$key
rm -rf "$work" "$prefix"
mkdir -p "$work"
add_source_entry
echo "wxMSW $upstream: fetching Debian's wxwidgets3.2 $version source" >&2
# As root, apt would warn that _apt cannot write to the folder.
(cd "$work" && apt-get source -o APT::Sandbox::User=root --download-only -qq "wxwidgets3.2=$version" >&2)
(cd "$work" && dpkg-source --no-check -x ./*.dsc src >&2)

echo "wxMSW $upstream: building (10 to 40 minutes on 2 cores, once per machine)" >&2
start=$SECONDS
mkdir -p "$work/src/build-msw"
cd "$work/src/build-msw"
nice -n 10 ../configure --prefix="$prefix.tmp" "${flags[@]}" >configure.log 2>&1 ||
  { tail -n 40 configure.log >&2; exit 1; }
nice -n 10 make -j"$(nproc)" >make.log 2>&1 || { tail -n 40 make.log >&2; exit 1; }
make install >install.log 2>&1 || { tail -n 40 install.log >&2; exit 1; }
# wx-config names the prefix it was configured with; point it at the final one.
sed -i "s|$prefix.tmp|$prefix|g" "$prefix.tmp/bin/"wx-config* "$prefix.tmp"/lib/wx/config/*
touch "$prefix.tmp/.complete"
mv "$prefix.tmp" "$prefix"
cd "$root"
rm -rf "$work"
echo "wxMSW $upstream: built in $((SECONDS - start)) s into $prefix" >&2
echo "$prefix"
