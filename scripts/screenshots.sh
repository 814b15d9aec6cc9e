#!/bin/bash
# Takes the pictures of the main window that docs/ and the README show: the desktop program under
# Xvfb in a network namespace of its own, finding a handful of simulated device servers in
# another (scripts/netns-harness.sh makes both and deletes them; nothing is broadcast outside).
# Needs root, ip(8), Xvfb and ImageMagick's import, and a build with portolan and portolan-devsim.
#
#   scripts/screenshots.sh [BUILD_DIR]      (default build-test)
#
# Writes docs/screenshots/main-window.png (details, by port), list-style.png (the list style) and
# tree-group.png (a view inside a group of the tree), and the options sheet's tabs
# and its Add dialog (options-*.png, drawn by portolan-sheetshots, which touches no network), and
# the dialogs read back from the screen (about, search-target*, enter-ip-address,
# modify-view-general: portolan-dialogshots, no network either).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-test}" && pwd)
out="$root/docs/screenshots"
for program in portolan portolan-devsim portolan-sheetshots portolan-dialogshots; do
  [ -x "$build/bin/$program" ] || { echo "screenshots: build $program first" >&2; exit 2; }
done
for tool in Xvfb import ip; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing" >&2; exit 2; }
done
mkdir -p "$out"
work=$(mktemp -d /tmp/portolan-shots.XXXXXX)
trap 'rm -rf "$work"' EXIT

cat > "$work/devices.ini" <<'INI'
[device]
count = 2
name = "HARBOUR-{n}"
product_type = "Device Server"
port = 0,1,Port1
port = 0,1,Port2
[device]
name = "LAB PRINT"
product_type = "Print Server"
port = 0,1,Printer1
port = 0,3,Printer2
[device]
name = "DOCK GATE"
port = 0,1,Port1
[device]
name = "WAREHOUSE"
port = 2,4,Port1
port = 0,1,Port2
INI

# The settings of a user with two views at the top and one inside a group.
registry() {  # $1: file, $2: current view, $3: General\Flags
  local key='HKEY_CURRENT_USER\Software\Portolan\Portolan'
  local columns='System Name,IP Address,H/W Address,Status,Port Name,Port Status,Virtual Port'
  cat > "$1" <<REG
Windows Registry Editor Version 5.00

[$key\\General]
"RunIndex"=dword:00000005
"CurrentView"="$2"
"Flags"=dword:$(printf %08x "$3")
"Left"=dword:00000000
"Top"=dword:00000000
"Right"=dword:00000384
"Bottom"=dword:00000226
"Splitter"=dword:000000b4

[$key\\Views]
"First"="No"

[$key\\Views\\All Print Servers]
"Type"=dword:00000006
"Icons"=dword:00000010
"Columns"="$columns"
"Sort"=">IP Address"

[$key\\Views\\VirtualPortView]
"Type"=dword:00000006
"Icons"=dword:00000012
"Columns"="System Name,IP Address,H/W Address,Serial #,Port Name,Port #,Virtual Port"
"Sort"=">IP Address"

[$key\\Views\\Harbour]
"Type"=dword:00000002
"Icons"=dword:00000006

[$key\\Views\\Harbour\\Print Servers]
"Type"=dword:00000006
"Icons"=dword:00000011
"Columns"="System Name,IP Address,Product Type,Status"
"Sort"=">System Name"
"Filter"="Product Type"
"FilterValue"="Print*"
REG
}

# One picture: $1 name, $2 current view, $3 flags, $4 rows the list must show.
shot() {
  local name=$1 view=$2 flags=$3 rows=$4 dir="$work/$1"
  mkdir -p "$dir/config" "$dir/run"
  chmod 700 "$dir/run"
  registry "$dir/registry.reg" "$view" "$flags"
  cat > "$dir/client.sh" <<CLIENT
#!/bin/bash
export PORTOLAN_REGISTRY="$dir/registry.reg" XDG_RUNTIME_DIR="$dir/run" XDG_CONFIG_HOME="$dir/config"
export PORTOLAN_PORT_DIR="$dir/run/ports" WINDIR="$dir/windows" PORTOLAN_LIST_DUMP="$dir/list.txt"
export QT_QPA_PLATFORM=xcb DISPLAY=:77
Xvfb :77 -screen 0 900x550x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=\$!
for i in \$(seq 100); do [ -e /tmp/.X11-unix/X77 ] && break; sleep 0.1; done
"$build/bin/portolan" >/dev/null 2>&1 &
app=\$!
# The list is written once the first search has ended: wait for the rows, then for the paint.
for i in \$(seq 300); do
  [ -f "$dir/list.txt" ] && [ "\$(wc -l < "$dir/list.txt")" -ge $rows ] && break
  sleep 0.1
done
sleep 1
import -window root "$out/$name.png"
kill \$app; wait \$app || true
kill \$xvfb; wait \$xvfb 2>/dev/null || true
[ "\$(wc -l < "$dir/list.txt")" -ge $rows ]
CLIENT
  chmod +x "$dir/client.sh"
  "$root/scripts/netns-harness.sh" -n 5 \
    --sim "$build/bin/portolan-devsim --config $work/devices.ini --base-ip \$HARNESS_BASE_IP --mask \$HARNESS_MASK --no-tcp --ready-file \$HARNESS_READY" \
    --client "$dir/client.sh"
  echo "screenshots: $out/$name.png"
}

shot main-window "All Print Servers" 0x40 9
shot list-style "All Print Servers" 0x10 9
shot tree-group "Print Servers" 0x40 1

# The options sheet's tabs, over settings kept in memory.
Xvfb :78 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for i in $(seq 100); do [ -e /tmp/.X11-unix/X78 ] && break; sleep 0.1; done
DISPLAY=:78 QT_QPA_PLATFORM=xcb "$build/bin/portolan-sheetshots" "$out"
# The dialogs as the X server shows them (no window manager): a picture that comes back black
# fails the script rather than landing in docs/.
DISPLAY=:78 QT_QPA_PLATFORM=xcb "$build/bin/portolan-dialogshots" "$build/bin" "$out"
kill $xvfb; wait $xvfb 2>/dev/null || true
