#!/usr/bin/env bash
# Checks a Debian package made by scripts/package.sh: its file list holds every program, page and
# picture; its dependencies come from the linked libraries; it unpacks into a scratch root where
# the installed portolanctl runs; and lintian, desktop-file-validate, appstreamcli and
# systemd-analyze (each when present) accept it.
# Usage: scripts/package-check.sh PACKAGE.deb
# Prints one line per check and, last, "package: N passed, M failed"; exits 1 when any failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
package=${1:?usage: package-check.sh PACKAGE.deb}
passed=0
failed=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

pass() { passed=$((passed + 1)); echo "ok    $1"; }
fail() { failed=$((failed + 1)); echo "FAIL  $1"; [ -z "${2-}" ] || printf '%s\n' "$2" | sed 's/^/      /'; }
check() {  # check NAME COMMAND...: passes when the command succeeds; shows its output otherwise
  local name=$1 output
  shift
  if output=$("$@" 2>&1); then pass "$name"; else fail "$name" "$output"; fi
}
skip() { echo "skip  $1 (not installed)"; }

if ! dpkg-deb --info "$package" >/dev/null 2>&1; then
  fail "$package is a Debian package"
  echo "package: $passed passed, $failed failed"
  exit 1
fi
version=$(dpkg-deb -f "$package" Version)
arch=$(dpkg-deb -f "$package" Architecture)
check "file name is portolan_${version}_${arch}.deb" \
  test "$(basename "$package")" = "portolan_${version}_${arch}.deb"

# The file list, against what the source tree says must be in it.
list=$(dpkg-deb --fsys-tarfile "$package" | tar -t | sed 's#^\./#/#')
expected=(
  /usr/bin/portolan /usr/bin/portolanctl /usr/bin/portolan-devsim /usr/bin/portolan-serial-run
  /usr/share/man/man1/portolan.1.gz /usr/share/man/man1/portolanctl.1.gz
  /usr/share/man/man1/portolan-devsim.1.gz /usr/share/man/man1/portolan-serial-run.1.gz
  /usr/share/bash-completion/completions/portolanctl
  /usr/lib/systemd/user/portolan-ports.service /usr/lib/systemd/system/portolan-ports@.service
  /usr/share/doc/portolan/copyright /usr/share/doc/portolan/changelog.gz
  /usr/share/doc/portolan/service.md /usr/share/doc/portolan/discovery-on-busy-networks.md
  /usr/share/doc/portolan/examples/60-portolan-discovery.conf
  /usr/share/icons/hicolor/scalable/apps/portolan.svg
)
for page in "$root"/src/res/help/*; do
  expected+=("/usr/share/portolan/help/$(basename "$page")")
done
for file in "$root"/src/res/branding/*; do
  expected+=("/usr/share/portolan/branding/$(basename "$file")")
done
while IFS= read -r picture; do
  expected+=("/usr/share/icons/${picture#"$root/dist/icons/"}")
done < <(find "$root/dist/icons/hicolor" -type f -name '*.png' | sort)
missing=""
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$list" || missing+="$path"$'\n'
done
check "file list holds every program, page and picture (${#expected[@]} files)" test -z "$missing"
[ -z "$missing" ] || printf '%s' "$missing" | sed 's/^/      missing: /'
# The program's own pictures (src/res/icons/<set>/) are compiled into the desktop program as Qt
# resources, whose names are stored in UTF-16. A set counts once the program holds any of its
# pictures (sets drawn ahead of the code that shows them wait); then it must hold all of them.
portolan_bin="$scratch/portolan"
dpkg-deb --fsys-tarfile "$package" | tar -xO ./usr/bin/portolan >"$portolan_bin" 2>/dev/null
absent_pictures() {  # absent_pictures NAME...: those whose UTF-16 name is not in the program
  perl -e 'local $/; open(my $f, "<", shift) or exit 1; my $data = <$f>;
    for my $name (@ARGV) { print "$name\n" if index($data, join("", map { "\0$_" } split(//, $name))) < 0 }' \
    "$portolan_bin" "$@"
}
while IFS= read -r set; do
  mapfile -t pictures < <(find "$set" -maxdepth 1 -type f \( -name '*.svg' -o -name '*.png' -o \
    -name '*.gif' \) \
    -printf '%f\n' | sort)
  [ "${#pictures[@]}" -gt 0 ] || continue
  absent=$(absent_pictures "${pictures[@]}")
  label="pictures of ${set#"$root/"} compiled into portolan (${#pictures[@]})"
  if [ "$(grep -c . <<<"$absent")" = "${#pictures[@]}" ]; then
    echo "skip  $label: the program shows none of them yet"
    continue
  fi
  check "$label" test -z "$absent"
  [ -z "$absent" ] || while read -r name; do echo "      not found: $name"; done <<<"$absent"
done < <(find "$root/src/res/icons" -type d 2>/dev/null | sort)
desktop=$(grep -E '^/usr/share/applications/[^/]+\.desktop$' <<<"$list")
metainfo=$(grep -E '^/usr/share/metainfo/[^/]+\.metainfo\.xml$' <<<"$list")
check "one desktop entry and its AppStream metadata" \
  test "$(wc -w <<<"$desktop $metainfo")" = 2 -a "$(basename "$desktop" .desktop)" = \
  "$(basename "$metainfo" .metainfo.xml)"

depends=$(dpkg-deb -f "$package" Depends)
check "dependencies from the linked libraries ($depends)" \
  grep -q 'libc6' <<<"$depends"
check "the desktop program's Qt libraries among them" grep -q 'libqt6widgets6' <<<"$depends"

# Unpacked into a scratch root, the programs run from there.
dpkg-deb -x "$package" "$scratch/root"
check "installed portolanctl --version runs from the scratch root" \
  grep -qxF "portolanctl $version" <(env -i PATH=/usr/bin:/bin "$scratch/root/usr/bin/portolanctl" --version)
check "installed portolan-devsim --help runs from the scratch root" \
  "$scratch/root/usr/bin/portolan-devsim" --help
# The serial wrapper finds its preload library in the package's own library folder.
serial_library=$("$scratch/root/usr/bin/portolan-serial-run" --library 2>&1)
check "installed portolan-serial-run finds libportolan-serial.so ($serial_library)" \
  test -f "$serial_library" -a "${serial_library#"$scratch/root/usr/lib/"}" != "$serial_library"
# The installed programs find their data folder relative to themselves: a Portolan.ini put in the
# scratch root's share/portolan/ names the settings' registry key.
printf '[General]\r\nCompanyReg=PackageCheck\r\n' >"$scratch/root/usr/share/portolan/Portolan.ini"
registry="$scratch/registry.reg"
PORTOLAN_REGISTRY="$registry" "$scratch/root/usr/bin/portolanctl" settings set General Check 1 \
  >/dev/null 2>&1
check "installed portolanctl reads share/portolan/Portolan.ini of its own root" \
  grep -qF '[HKEY_CURRENT_USER\Software\PackageCheck\Portolan\General]' "$registry"
rm -f "$scratch/root/usr/share/portolan/Portolan.ini"

leaks=""
for program in "$scratch"/root/usr/bin/*; do
  grep -qaF "$root" "$program" && leaks+=" $(basename "$program")"
done
check "no path of the source or build tree in the programs" test -z "$leaks"
[ -z "$leaks" ] || echo "      in:$leaks"

# The screenshot the metadata names is the repository's docs/screenshots/main-window.png.
check "metadata names docs/screenshots/main-window.png as its screenshot" \
  grep -q '<image[^>]*>https://[^<]*/docs/screenshots/main-window.png</image>' \
  "$scratch/root$metainfo"

if command -v desktop-file-validate >/dev/null; then
  check "desktop-file-validate" desktop-file-validate "$scratch/root$desktop"
else
  skip desktop-file-validate
fi
if command -v appstreamcli >/dev/null; then
  check "appstreamcli validate" appstreamcli validate --no-net "$scratch/root$metainfo"
else
  skip appstreamcli
fi
if command -v systemd-analyze >/dev/null; then
  # The units name /usr/bin/portolanctl: each is verified as a copy that names the scratch root's
  # program instead. verify exits 0 on lines it ignores, so any message counts as a failure.
  mkdir -p "$scratch/units/system" "$scratch/units/user" "$scratch/runtime"
  verify_unit() {  # verify_unit SCOPE PATH
    local copy output
    copy="$scratch/units/$1/$(basename "$2")"
    sed "s#^ExecStart=/usr/bin/#ExecStart=$scratch/root/usr/bin/#" "$scratch/root$2" >"$copy"
    if ! output=$(XDG_RUNTIME_DIR="$scratch/runtime" systemd-analyze "--$1" verify --man=no "$copy" 2>&1) ||
      [ -n "$output" ]; then
      echo "$output"
      return 1
    fi
  }
  check "systemd-analyze verify portolan-ports@.service" \
    verify_unit system /usr/lib/systemd/system/portolan-ports@.service
  check "systemd-analyze --user verify portolan-ports.service" \
    verify_unit user /usr/lib/systemd/user/portolan-ports.service
else
  skip systemd-analyze
fi
if command -v lintian >/dev/null; then
  # Tags left on purpose are overridden, each with its reason, in dist/lintian-overrides; info
  # tags are shown but do not fail.
  check "lintian (no error or warning)" \
    lintian --fail-on error,warning --display-info --tag-display-limit 0 "$package"
else
  skip lintian
fi

echo "package: $passed passed, $failed failed"
[ "$failed" = 0 ]
