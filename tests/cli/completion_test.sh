#!/usr/bin/env bash
# The bash completion of portolanctl, driven as bash drives it: commands, subcommands and options
# come from the program's own help, stored ports from its settings.
# Usage: completion_test.sh COMPLETION_FILE PORTOLANCTL
set -u
completion=$1
ctl=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PORTOLAN_REGISTRY="$work/registry.reg"

# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion || { echo "bash-completion is not installed"; exit 1; }
# shellcheck disable=SC1090
source "$completion"

failures=0
# expect "WORDS..." "COMPLETIONS": the completions of the last word, sorted, separated by spaces.
expect() {
  read -r -a COMP_WORDS <<<"$1"
  [[ $1 == *" " ]] && COMP_WORDS+=("")
  COMP_WORDS[0]=$ctl
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _portolanctl
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//')
  if [[ $got == "$2" ]]; then
    echo "ok    '$1' -> $got"
  else
    echo "FAIL  '$1': expected '$2', got '$got'"
    failures=$((failures + 1))
  fi
}

expect "portolanctl po" "ports"
expect "portolanctl --v" "--version"
expect "portolanctl ports " "add delete list status"
expect "portolanctl ports status --" "--json"
expect "portolanctl settings " "export get set"
expect "portolanctl snmp s" "set"
expect "portolanctl run --" "--log --metrics --port"
expect "portolanctl run --metrics " ""
expect "portolanctl ports add --" "--hw --line --rfc2217 --strict-baud --wine"
expect "portolanctl ports add COM5 10.0.0.5 0 --line 7" "7E1 7E2 7N2 7O1"
expect "portolanctl query 127.0.0.1 --" "--no-snmp --port --snmp-port --timeout"
expect "portolanctl run --port " ""
expect "portolanctl frobnicate --" ""
expect "portolanctl access " "delete list lookup set"
expect "portolanctl access list --" "--protocol --show-communities"
expect "portolanctl access list --protocol " "com ip nw"
expect "portolanctl access set 10.0.0.* --get " ""
expect "portolanctl restore 10.0.0.5 --" "--all --item --list --port --snmp-port --yes"
expect "portolanctl restore 10.0.0.5 --item " ""
"$ctl" ports add COM7 127.0.0.1 0 >/dev/null || { echo "cannot store a port"; exit 1; }
"$ctl" ports add COM12 127.0.0.1 1 >/dev/null || { echo "cannot store a port"; exit 1; }
expect "portolanctl ports delete " "COM12 COM7"
expect "portolanctl ports delete COM1" "COM12"
# Every command of the help is offered first.
commands=$("$ctl" --help | awk '/^Commands:/ { s = 1; next } /^[^ ]/ { s = 0 } s && /^  [a-z]/ { print $1 }' | sort -u | tr '\n' ' ')
expect "portolanctl " "$(echo "$commands--help --version" | tr ' ' '\n' | sort | tr '\n' ' ' | sed 's/ $//')"

[ "$failures" = 0 ]
