# bash completion for qv7ctl: its commands, each command's options, option values and file operands.
# Installed as share/bash-completion/completions/qv7ctl; works without the bash-completion package too.

# The commands and their own options, one line each; a new option is a word on its command's line.
declare -gA _qv7ctl_options=(
    [list]="--json"
    [read]="-o --output --json --all"
    [write]="--json --lin --all"
    [show]="--json"
    [diff]="--json --all"
    [lin-read]="-o --output --json"
    [lin-write]="--json --all"
    [lin-show]="--json"
    [lin-fit]="-o --output --json --points --shape --samples --cutoff --off-data --free-ends"
    [report]="-o --output"
    [udev-rule]=""
    [adjust]="--all"
    [adc]="--json"
    [set]=""
    [import]="-o --output"
    [sheet]="-o --output --table --against --lang --paper --all"
)
# The options every command takes.
_qv7ctl_common="--device --serial --timeout --trace --capture --stats --simulate --simulate= --simulate-count
    --simulate-fault= --simulate-state= --help --version"
# What a command's file operand and its -o file are named like (a glob), by command.
declare -gA _qv7ctl_files=(
    [read]='*.[Qq][Vv]' [write]='*.[Qq][Vv]' [show]='*.[Qq][Vv]' [diff]='*.[Qq][Vv]' [set]='*.[Qq][Vv]'
    [lin-read]='*.[Ll][Ii][Nn]' [lin-write]='*.[Ll][Ii][Nn]' [lin-show]='*.[Ll][Ii][Nn]'
    [import]='*.[Jj][Ss][Oo][Nn]' [report]='*.tar.gz' [lin-fit]='*.[CcTt][SsXx][VvTt]'
    [sheet]='*.[Qq][Vv]'
)
_qv7ctl_faults="silent drop: delay: writefail: crc: exception: internal"

# Offers words that start with the current one. The shell splits words at '=' and ':' (and gives
# the completion only the part after them), so what stands before the last of them is cut off.
_qv7ctl_offer() {
    local cur=$1 word
    shift
    COMPREPLY=()
    for word in "$@"; do
        [[ $word == "$cur"* ]] && COMPREPLY+=("$word")
    done
    local head=${cur%"${cur##*[=:]}"}
    if [[ -n $head && $COMP_WORDBREAKS == *[=:]* ]]; then
        COMPREPLY=("${COMPREPLY[@]#"$head"}")
    fi
    # A word ending in '=' or ':' waits for its value: no blank after it.
    [[ ${COMPREPLY[*]} == *[=:]* ]] && compopt -o nospace 2>/dev/null
    return 0
}

_qv7ctl_offer_files() {
    local cur=$1 pattern=$2
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X "!$pattern" -- "$cur"))
}

_qv7ctl() {
    # The words as typed up to the cursor, split at blanks only.
    local line=${COMP_LINE:0:COMP_POINT}
    local -a words
    read -ra words <<<"$line"
    [[ $line == *[[:space:]] ]] && words+=("")
    local cur=${words[-1]} prev=""
    ((${#words[@]} > 1)) && prev=${words[-2]}

    local command="" word
    for word in "${words[@]:1:${#words[@]}-2}"; do
        if [[ $word != -* && -v _qv7ctl_options[$word] ]]; then
            command=$word
            break
        fi
    done

    case $prev in
    -o | --output)
        [[ $command == lin-fit ]] && _qv7ctl_offer_files "$cur" '*.[Ll][Ii][Nn]' && return
        if [[ $command == sheet ]]; then
            _qv7ctl_offer_files "$cur" '*.[Pp][Dd][Ff]'
            return
        fi
        _qv7ctl_offer_files "$cur" "${_qv7ctl_files[$command]:-*}"
        return
        ;;
    --capture)
        _qv7ctl_offer_files "$cur" '*.[Pp][Cc][Aa][Pp]*'
        return
        ;;
    --shape)
        _qv7ctl_offer "$cur" sqrt hcyl sphere
        return
        ;;
    --points | --samples | --cutoff)
        return # a number
        ;;
    --lin | --table)
        _qv7ctl_offer_files "$cur" '*.[Ll][Ii][Nn]'
        return
        ;;
    --against)
        _qv7ctl_offer_files "$cur" '*.[Qq][Vv]'
        return
        ;;
    --lang)
        _qv7ctl_offer "$cur" fr en
        return
        ;;
    --paper)
        _qv7ctl_offer "$cur" a4 letter
        return
        ;;
    --device | --timeout | --serial | --simulate-count)
        return # a number or a serial number
        ;;
    esac
    case $cur in
    --simulate-fault=*)
        _qv7ctl_offer "$cur" $(printf -- '--simulate-fault=%s ' $_qv7ctl_faults)
        return
        ;;
    --simulate-state=*)
        _qv7ctl_offer_files "${cur#--simulate-state=}" '*'
        # Where '=' does not split words, the option is part of the word being completed.
        [[ $COMP_WORDBREAKS == *=* ]] || COMPREPLY=("${COMPREPLY[@]/#/--simulate-state=}")
        return
        ;;
    -*)
        _qv7ctl_offer "$cur" ${_qv7ctl_options[$command]} $_qv7ctl_common
        return
        ;;
    esac
    if [[ -z $command ]]; then
        _qv7ctl_offer "$cur" "${!_qv7ctl_options[@]}"
    elif [[ $command == adjust ]]; then
        _qv7ctl_offer "$cur" zero1 fullscale1 zero2 fullscale2
    elif [[ -n ${_qv7ctl_files[$command]} && $command != read && $command != lin-read && $command != report ]]; then
        _qv7ctl_offer_files "$cur" "${_qv7ctl_files[$command]}"
    fi
}
complete -F _qv7ctl qv7ctl
