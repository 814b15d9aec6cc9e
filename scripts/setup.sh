#!/usr/bin/env bash
# Installs the Debian packages Portolan needs to build, test and run, only those missing.
# Safe to run again. Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  clang libclang-rt-14-dev           # libFuzzer and the sanitizer runtimes for the fuzz run
  qt6-base-dev libgl-dev             # the desktop program
  libqt6svg6                         # its SVG pictures (image and icon plugins)
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libsnmp-dev snmpd snmp             # net-snmp: interop tests and the benchmark peer
  ser2net socat                      # RFC 2217 peer and pty pairs in the tests
  libmicrohttpd-dev                  # portolanctl run --metrics: its HTTP server
  python3-prometheus-client          # the metrics test parses /metrics with its parser
  python3-serial                     # pyserial: an application that sets its rate with TCSETS2
  xvfb xauth iproute2 procps
  dpkg-dev lintian desktop-file-utils appstream systemd bash-completion  # the package and its checks
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
