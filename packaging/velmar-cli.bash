# bash completion for velmar-cli
_velmar_cli() {
    local cur prev words cword
    _init_completion || return
    local commands="discover probe status routes route load-routes cards card"
    local options="--json --save --dry-run --trace --events --recovery --mode2 --telnet --type --timeout --help --version"
    case "$prev" in
        --save)
            _filedir xpt
            return ;;
        --type)
            COMPREPLY=($(compgen -W "K5A K5B K5E LV16 LW16" -- "$cur"))
            return ;;
        --timeout)
            return ;;
    esac
    if [[ "$cur" == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    local i command=""
    for ((i = 1; i < cword; i++)); do
        case "${words[i]}" in
            --save | --type | --timeout) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done
    if [[ -z "$command" ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    elif [[ "$command" == load-routes ]]; then
        # load-routes ADDR FILE: the file after the address
        _filedir xpt
    fi
}
complete -F _velmar_cli velmar-cli
