# Sourced by the end-to-end tests before they enter their sandbox.
#   prepare_work <staged program folder> <work folder>
# Skips the test (exit 77) without root, which the private namespaces need; otherwise
# makes the work folder afresh with a copy of the staged program in it and sets $work.
prepare_work() {
  if [ "$(id -u)" -ne 0 ]; then echo "needs root for private mount and network namespaces"; exit 77; fi
  work=$2
  rm -rf "$work"; mkdir -p "$work"; work=$(realpath "$work")
  cp -a "$(realpath "$1")" "$work/program"
}
