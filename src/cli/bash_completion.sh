# Bash completion for vorlix-cli.
#
# Completes the commands, their options and the options' values, files for --config, --source
# and --output, and the names of groups and workstation groups, asked from the directory with
# "vorlix-cli find" (the TEXT operand gets the common names, --pick the full names). Commands,
# options and the choices of a value are read from vorlix-cli's own --help, so they follow the
# program. Source this file, or install it as
# /usr/share/bash-completion/completions/vorlix-cli.

# The word with the shell's quoting taken off: a leading quote and backslash escapes.
_vorlix_cli_unquote() {
  local word=$1
  case $word in
    \'*) word=${word#\'} ;;
    \"*) word=${word#\"} ;;
  esac
  word=${word/#\~/$HOME}
  printf '%s' "$word" | sed -e 's/\\\(.\)/\1/g'
}

# "--name choices" for each option in the help of vorlix-cli [COMMAND]; "choices" is the value's
# type as help shows it ("group|workstation", "FILE"), empty for a flag.
_vorlix_cli_options() {
  "$@" --help 2>/dev/null | sed -n -E \
    -e 's/^ +(-h,)?(--[A-Za-z0-9-]+)( ([^ =]+))?.*$/\2 \4/p'
}

# The commands that vorlix-cli's help lists.
_vorlix_cli_commands() {
  "$1" --help 2>/dev/null | sed -n -E '/^Subcommands:/,/^$/s/^  ([a-z][a-z0-9-]*) .*$/\1/p'
}

_vorlix_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  local program
  program=$(_vorlix_cli_unquote "${COMP_WORDS[0]}")
  COMPREPLY=()

  # What the line holds so far: the command, the global options with their values (passed on
  # to "find"), --kind and the TEXT. An option takes a value when help shows a type for it.
  local commands global_options options
  commands=$(_vorlix_cli_commands "$program")
  global_options=$(_vorlix_cli_options "$program")
  options=$global_options
  local command="" kind="" text="" i word type
  local -a global=()
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ $word == --* ]]; then
      type=$(awk -v name="$word" '$1 == name { print $2; exit }' <<<"$options")
      [[ -n $type ]] || continue
      if awk -v name="$word" '$1 == name { found = 1 } END { exit !found }' <<<"$global_options"; then
        global+=("$word" "$(_vorlix_cli_unquote "${COMP_WORDS[i + 1]}")")
      fi
      [[ $word == --kind ]] && kind=${COMP_WORDS[i + 1]}
      ((i++))
    elif [[ -z $command ]] && grep -qx -- "$word" <<<"$commands"; then
      command=$word
      options+=$'\n'$(_vorlix_cli_options "$program" "$command")
    elif [[ $word != -* ]]; then
      text=$(_vorlix_cli_unquote "$word")
    fi
  done

  # The value of an option.
  if [[ $prev == --* ]]; then
    type=$(awk -v name="$prev" '$1 == name { print $2; exit }' <<<"$options")
    case $type in
      "") ;;  # a flag: fall through to the next word
      FILE | SOURCE)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
      NAME)
        [[ -n $kind ]] || return
        local name
        while IFS= read -r name; do
          COMPREPLY+=("$(printf '%q' "$name")")
        done < <(timeout 5 "$program" "${global[@]}" find --kind "$kind" -- "$text" 2>/dev/null)
        return
        ;;
      *"|"*)
        mapfile -t COMPREPLY < <(compgen -W "${type//|/ }" -- "$cur")
        return
        ;;
      *) return ;;  # a free value
    esac
  fi

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(awk '{ print $1 }' <<<"$options" | sort -u)" -- "$cur")
    return
  fi
  if [[ -z $command ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
    return
  fi

  # The TEXT operand: the common names (up to the first unescaped dot) of the matching objects.
  if [[ -n $kind ]] && awk '$1 == "--kind" { found = 1 } END { exit !found }' <<<"$options"; then
    local typed name
    typed=$(_vorlix_cli_unquote "$cur")
    while IFS= read -r name; do
      COMPREPLY+=("$(printf '%q' "$name")")
    done < <(timeout 5 "$program" "${global[@]}" find --kind "$kind" -- "$typed" 2>/dev/null |
      sed -E -e 's/^((\\.|[^.\\])*)\..*$/\1/' -e 's/\\\././g' | sort -u)
  fi
}

complete -F _vorlix_cli vorlix-cli
