# bash completion for velmar-cli
# The words come from velmar-cli's own --help, so that a new command or option is completed
# without this file changing.
_velmar_cli() {
    local cur prev words cword
    _init_completion || return
    local help
    help=$(velmar-cli --help 2>/dev/null) || return
    local commands options
    commands=$(awk '/^commands:/ {c = 1; next} /^options:/ {c = 0} c && /^  [a-z]/ {print $1}' <<<"$help" | sort -u)
    options=$(awk '/^options:/ {o = 1} o' <<<"$help" | grep -o -- '--[a-z0-9-]*' | sort -u)
    case "$prev" in
        --save | --load)
            _filedir
            return ;;
        --type)
            COMPREPLY=($(compgen -W "K5A K5B K5E LV16 LW16" -- "$cur"))
            return ;;
        --timeout | --ip | --mask | --gateway | --t1 | --t2)
            return ;;
    esac
    if [[ "$cur" == -* ]]; then
        COMPREPLY=($(compgen -W "$options --enable --disable --t1 --t2 --network" -- "$cur"))
        return
    fi
    local i command="" operands=0
    for ((i = 1; i < cword; i++)); do
        case "${words[i]}" in
            --save | --load | --type | --timeout | --ip | --mask | --gateway | --t1 | --t2) ((i++)) ;;
            -*) ;;
            *)
                if [[ -z "$command" ]]; then
                    command=${words[i]}
                else
                    ((operands++))
                fi ;;
        esac
    done
    if [[ -z "$command" ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    elif [[ "$command" == settings && $operands -eq 0 ]]; then
        COMPREPLY=($(compgen -W "save apply" -- "$cur"))
    elif [[ "$command" == flash && $operands -ge 1 ]]; then
        _filedir flash
    elif [[ ( "$command" == load-routes && $operands -eq 1 ) || ( "$command" == settings && $operands -eq 2 ) ]]; then
        _filedir
    fi
}
complete -F _velmar_cli velmar-cli
