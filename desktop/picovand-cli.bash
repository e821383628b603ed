# bash completion for picovand-cli. Commands, options and the kind of value
# each option takes come from the program's own --help, the preset and
# control set numbers from its installed data, so the completion always
# matches the program it runs.

_picovand_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local program=${COMP_WORDS[0]} help
    help=$("$program" --help 2>/dev/null)
    COMPREPLY=()

    if [[ $COMP_CWORD -eq 1 && $cur != -* ]]; then
        COMPREPLY=($(compgen -W "$(sed -n 's/^ *picovand-cli \([a-z][a-z-]*\).*/\1/p' <<<"$help" | sort -u)" -- "$cur"))
        return
    fi

    case $prev in
        --preset)
            COMPREPLY=($(compgen -W "$("$program" presets 2>/dev/null | awk '$1 ~ /^[0-9]+$/ { print $1 }')" -- "$cur"))
            return ;;
        --control-set)
            COMPREPLY=($(compgen -W "$("$program" control-sets 2>/dev/null | awk '$1 ~ /^[0-9]+$/ { print $1 }')" -- "$cur"))
            return ;;
    esac
    if [[ $prev == --* ]]; then
        # What --help shows after the option: FILE, FOLDER, DIR, a|b|c, or a name like N.
        local value
        value=$(grep -o -m1 -- "^ *$prev [^ ]*" <<<"$help" | awk '{ print $2 }')
        case $value in
            FILE) compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- "$cur")); return ;;
            FOLDER|DIR) compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -d -- "$cur")); return ;;
            *'|'*) COMPREPLY=($(compgen -W "$(tr '|' ' ' <<<"$value" | tr ' ' '\n' | grep '^[a-z]')" -- "$cur")); return ;;
            '') ;;
            *) return ;;
        esac
    fi

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(grep -o -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u)" -- "$cur"))
        return
    fi
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
}
complete -F _picovand_cli picovand-cli
