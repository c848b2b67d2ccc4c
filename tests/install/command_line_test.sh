#!/usr/bin/env bash
# The programs' command lines against their manual pages and the bash
# completion: every option --help lists is in the manual page (and, for
# notes-export, completed); --version gives the project's version; --help
# and errors name the program, never the path it was started by.
#   command_line_test.sh BIN_DIR MAN_DIR COMPLETION VERSION
set -euo pipefail
bin=$1 man=$2 completion=$3 version=$4
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# shellcheck source=/dev/null
source "$completion"
completed() {
  COMP_WORDS=(notes-export "$1") COMP_CWORD=1 COMPREPLY=()
  _notes_export || true
  printf '%s\n' "${COMPREPLY[@]}"
}

for program in notes-export notes-import; do
  help=$(QT_QPA_PLATFORM=offscreen "$bin/$program" --help)
  [[ $help == "Usage: $program "* ]] || fail "$program --help does not start with its name: ${help%%$'\n'*}"
  [[ $help != *"$bin"* ]] || fail "$program --help shows its path"
  page=$(sed -e 's/\\-/-/g' "$man/$program.1")
  grep -qE "^\.TH [A-Z-]+ 1 [0-9]{4}-[0-9]{2}-[0-9]{2} \"notes-import $version\"" "$man/$program.1" ||
    fail "$program.1 does not carry the release date and version"
  # The option column: "  -h, --help", "  --library <PATH>", up to the description.
  options=$(grep -E '^ +-' <<<"$help" | sed -E 's/^ +//; s/  .*//' | grep -oE -- '--?[a-z][a-z-]*' | sort -u)
  [[ -n $options ]] || fail "$program --help lists no options"
  for option in $options; do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" <<<"$page" || fail "$option of $program is not in $program.1"
    if [[ $program == notes-export && $option == --* ]] && ! completed "$option" | grep -qx -- "$option"; then
      fail "$option is not completed"
    fi
  done

  out=$(QT_QPA_PLATFORM=offscreen "$bin/$program" --version)
  [[ $out == "$program $version" ]] || fail "$program --version says: $out"

  status=0
  err=$(QT_QPA_PLATFORM=offscreen "$bin/$program" --no-such-option 2>&1 >/dev/null) || status=$?
  [[ $status == 2 ]] || fail "$program --no-such-option exits with $status"
  [[ $err == "$program: "* ]] || fail "$program's error does not start with its name: $err"
done

# Paths complete as files and folders.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/Library" && touch "$scratch/NoteStore.sqlite" "$scratch/notes.txt"
for case in "--library:Library NoteStore.sqlite" "--destination:Library" \
            "--password-file:Library NoteStore.sqlite notes.txt"; do
  option=${case%%:*} expected=${case#*:}
  COMP_WORDS=(notes-export "$option" "$scratch/") COMP_CWORD=2 COMPREPLY=()
  _notes_export || true
  got=$(printf '%s\n' "${COMPREPLY[@]#"$scratch/"}" | sort | xargs)
  [[ $got == "$expected" ]] || fail "$option completes \"$got\", not \"$expected\""
done

[[ $failures == 0 ]] || exit 1
echo "command lines, manual pages and completion agree"
