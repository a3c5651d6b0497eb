#!/usr/bin/env bash
# test-completion.sh COMPLETION: types qv7ctl command lines into its bash completion, in a directory
# with one file of each kind, and checks what it offers.
set -u
source "$1"
cd "$(mktemp -d)" || exit 1
trap 'rm -rf "$PWD"' EXIT
touch a.QV b.LIN c.txt d.pcapng
mkdir sub
COMP_WORDBREAKS=$' \t\n"\'><=;|&(:'
failed=0

offers() {
    COMP_LINE=$1
    COMP_POINT=${#1}
    COMPREPLY=()
    _qv7ctl
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//'
}

# Typed line | what is offered, sorted.
while IFS='|' read -r line expected; do
    got=$(offers "$line")
    if [ "$got" != "$expected" ]; then
        echo "\"$line\": offered \"$got\", expected \"$expected\""
        failed=1
    fi
done <<'CASES'
qv7ctl |adc adjust diff import lin-fit lin-read lin-show lin-write list read report set sheet show udev-rule write
qv7ctl lin-|lin-fit lin-read lin-show lin-write
qv7ctl lin-fit --shape |hcyl sphere sqrt
qv7ctl lin-fit c.txt -o |b.LIN sub
qv7ctl lin-fit |c.txt sub
qv7ctl --trace wr|write
qv7ctl read --j|--json
qv7ctl lin-show --j|--json
qv7ctl diff --j|--json
qv7ctl set --j|
qv7ctl adjust |fullscale1 fullscale2 zero1 zero2
qv7ctl write a.QV --lin |b.LIN sub
qv7ctl read --a|--all
qv7ctl lin-write --j|--json
qv7ctl list --simu|--simulate --simulate-count --simulate-fault= --simulate-state= --simulate=
qv7ctl read --simulate-fault=d|delay: drop:
qv7ctl read --simulate-fault=c|crc:
qv7ctl read --cap|--capture
qv7ctl adc --capture |d.pcapng sub
qv7ctl write |a.QV sub
qv7ctl show a|a.QV
qv7ctl lin-write |b.LIN sub
qv7ctl lin-read -o |b.LIN sub
qv7ctl read --output |a.QV sub
qv7ctl read |
qv7ctl list --device |
qv7ctl list --simulate-state=c|c.txt
qv7ctl sheet |a.QV sub
qv7ctl sheet a.QV --table |b.LIN sub
qv7ctl sheet a.QV --against |a.QV sub
qv7ctl sheet a.QV --lang |en fr
qv7ctl sheet a.QV --paper l|letter
qv7ctl sheet --simulate -o |sub
CASES
exit $failed
