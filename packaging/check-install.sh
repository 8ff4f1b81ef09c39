#!/usr/bin/env bash
# Checks the desktop integration.
#   check-install.sh install BUILD_DIR APP_ID MODULE_FROM_BIN
#       `cmake --install` into a scratch root: every file in place (the printing module
#       where the program looks for it: MODULE_FROM_BIN relative to its folder), the desktop
#       entry and the metainfo valid, the launcher creates ~/Vistelle and starts the program there.
#   check-install.sh deb BUILD_DIR APP_ID MODULE_FROM_BIN
#       `cpack -G DEB`: the dependencies are declared and present on this machine; the
#       package unpacked into a scratch root passes the same checks.
# Exits 77 (skipped) when a tool it needs is missing.
set -euo pipefail
mode=$1 build=$2 id=$3 module_from_bin=$4
scratch=$(mktemp -d)
pid=
cleanup() {
  [[ -n $pid ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed"; exit 77; }; }

check_tree() {
  local root=$1
  for f in vistelle vistelle-metafile vistelle-launch vistelle-diary; do
    [[ -x $root/usr/bin/$f ]] || fail "usr/bin/$f missing or not executable"
  done
  local manpage=$root/usr/share/man/man1/vistelle-diary.1.gz
  [[ -f $manpage ]] || fail "${manpage#$root/} missing"
  gzip -dc "$manpage" | grep -c '^\.SH EXIT STATUS' >/dev/null || fail "the manual page of vistelle-diary is not readable"
  "$root/usr/bin/vistelle-diary" --help | grep -c '^Usage: vistelle-diary' >/dev/null || fail "vistelle-diary --help"
  local desktop=$root/usr/share/applications/$id.desktop
  local icon=$root/usr/share/icons/hicolor/256x256/apps/$id.png
  local metainfo=$root/usr/share/metainfo/$id.metainfo.xml
  for f in "$desktop" "$icon" "$metainfo"; do [[ -f $f ]] || fail "${f#$root/} missing"; done

  # PNG signature, then an IHDR of 256 × 256.
  [[ $(od -An -tx1 -N24 "$icon" | tr -d ' \n') == 89504e470d0a1a0a0000000d494844520000010000000100 ]] ||
    fail "the icon is not a 256 x 256 PNG"
  grep -qx 'Exec=vistelle-launch' "$desktop" || fail "the desktop entry does not start the launcher"
  grep -qx "Icon=$id" "$desktop" || fail "the desktop entry names another icon"
  if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop" || fail "desktop entry"; fi
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" || fail "metainfo does not validate"
  else
    echo "note: appstreamcli not installed, metainfo not validated"
  fi
  local module=$root/usr/bin/$module_from_bin/vistelle-print.so
  [[ -f $module ]] || fail "the printing module is not in usr/bin/$module_from_bin"
  local missing
  missing=$(ldd "$root/usr/bin/vistelle" "$root/usr/bin/vistelle-metafile" "$root/usr/bin/vistelle-diary" "$module" |
    grep 'not found' || true)
  [[ -z $missing ]] || fail "libraries not found: $missing"
  # The printer service's library is loaded with the module, on the first print.
  ! ldd "$root/usr/bin/vistelle" | grep -q libcups || fail "the program itself links the printer service's library"
}

# The launcher creates ~/Vistelle and starts the program in it: the first start writes
# the four picture sets and an empty 41-byte diary there.
check_start() {
  local root=$1 home=$scratch/home
  mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
  HOME=$home XDG_RUNTIME_DIR=$home/runtime QT_QPA_PLATFORM=offscreen "$root/usr/bin/vistelle-launch" \
    >"$scratch/launch.log" 2>&1 &
  pid=$!
  local dir=$home/Vistelle
  for _ in $(seq 600); do
    [[ -f $dir/diary.dat && -f $dir/graphics4.dat ]] && break
    kill -0 "$pid" 2>/dev/null || { cat "$scratch/launch.log"; fail "the program ended at start"; }
    sleep 0.1
  done
  [[ $(stat -c %s "$dir/diary.dat" 2>/dev/null) == 41 ]] || fail "no new diary in ~/Vistelle"
  for n in 1 2 3 4; do [[ -s $dir/graphics$n.dat ]] || fail "graphics$n.dat missing"; done
  sleep 1
  kill -0 "$pid" 2>/dev/null || { cat "$scratch/launch.log"; fail "the program did not keep running"; }
  kill "$pid"; wait "$pid" 2>/dev/null || true
  pid=
  # The command-line companion reads what the program wrote.
  local report
  report=$(cd "$dir" && "$root/usr/bin/vistelle-diary" check) || fail "vistelle-diary check: $report"
  [[ $report == *"graphics4.dat: ok, 12 pictures"* ]] || fail "vistelle-diary check: $report"
}

# Every dependency (each alternative group) is installed here in a fitting version.
check_depends() {
  local depends=$1 group alt name op version installed ok
  IFS=',' read -ra groups <<<"$depends"
  for group in "${groups[@]}"; do
    ok=
    IFS='|' read -ra alts <<<"$group"
    for alt in "${alts[@]}"; do
      read -r name op version <<<"$(echo "$alt" | sed -E 's/^ *([^ (]+) *(\(([<>=]+) *([^)]+)\))? *$/\1 \3 \4/')"
      installed=$(dpkg-query -W -f='${Version}' "$name" 2>/dev/null || true)
      [[ -n $installed ]] || continue
      if [[ -z $op ]]; then ok=1; break; fi
      case $op in '>=') op=ge ;; '<=') op=le ;; '>>') op=gt ;; '<<') op=lt ;; '=') op=eq ;; esac
      if dpkg --compare-versions "$installed" "$op" "$version"; then ok=1; break; fi
    done
    [[ -n $ok ]] || fail "dependency not satisfied here: $group"
  done
}

case $mode in
  install)
    DESTDIR=$scratch/root cmake --install "$build" --prefix /usr >"$scratch/install.log" || {
      cat "$scratch/install.log"; fail "cmake --install"; }
    check_tree "$scratch/root"
    check_start "$scratch/root"
    ;;
  deb)
    need cpack; need dpkg-deb; need dpkg-shlibdeps
    (cd "$scratch" && cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake") >"$scratch/cpack.log" 2>&1 || {
      cat "$scratch/cpack.log"; fail "cpack -G DEB"; }
    deb=$(ls "$scratch"/out/*.deb)
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Package: $(basename "$deb")"
    echo "Depends: $depends"
    for lib in libqt6widgets6 libqt6svg6 libqt6printsupport6 libjpeg62-turbo libgif7 libcups2 libenchant-2-2 qt6-qpa-plugins; do
      [[ $depends == *"$lib"* ]] || fail "$lib is not among the dependencies"
    done
    check_depends "$depends"
    dpkg-deb -x "$deb" "$scratch/root"
    check_tree "$scratch/root"
    check_start "$scratch/root"
    ;;
  *) fail "unknown mode $mode" ;;
esac
echo "PASS: $mode"
