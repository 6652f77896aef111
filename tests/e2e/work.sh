# Sourced by the end-to-end tests before they enter their sandbox. needs* skip the test
# (exit 77) when a tool is missing.
#   prepare_work <staged program folder> <work folder> [file or folder]...
# skips without root, which the private namespaces need; else makes the work folder ($work)
# afresh with copies of the staged program and of each file named.
needs() {
  local tool
  for tool; do command -v "$tool" >/dev/null || { echo "needs $tool"; exit 77; }; done
}

needs_browser() {
  local browser
  for browser; do
    case $browser in
      chromium) needs chromium ;;
      firefox) needs firefox-esr ;;
      both) needs chromium firefox-esr ;;
      *) echo "unknown browser $browser"; exit 2 ;;
    esac
  done
}

needs_atspi() { /usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "needs python3-pyatspi"; exit 77; }; }

prepare_work() {
  if [ "$(id -u)" -ne 0 ]; then echo "needs root for private mount and network namespaces"; exit 77; fi
  work=$2
  rm -rf "$work"; mkdir -p "$work"; work=$(realpath "$work")
  cp -a "$(realpath "$1")" "$work/program"
  local file
  for file in "${@:3}"; do cp -a "$(realpath "$file")" "$work/"; done
}
