# Sourced by the tray tests: the session bus's tray as a tray host sees it, through gdbus.
# The items registered with the tray watcher, one "service/path" a line.
tray_items() {
  gdbus call --session --dest org.kde.StatusNotifierWatcher \
    --object-path /StatusNotifierWatcher --method org.freedesktop.DBus.Properties.Get \
    org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null |
    grep -o "'[^']*'" | tr -d "'" || true
}

# The item that process $1 registered, "service/path"; fails while there is none.
program_item() {
  local item owner
  for item in $(tray_items); do
    owner=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.GetConnectionUnixProcessID "${item%%/*}" 2>/dev/null |
      grep -o '[0-9]\+' | tail -1)
    [ "$owner" = "$1" ] && { echo "$item"; return 0; }
  done
  return 1
}

# "service object-path" of the item's menu.
item_menu() {
  local service=${1%%/*} path=/${1#*/} menu
  menu=$(gdbus call --session --dest "$service" --object-path "$path" \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem Menu |
    grep -o "'[^']*'" | tr -d "'")
  echo "$service $menu"
}

# The menu's entries as the tray host reads them: "id<TAB>label", one a line.
menu_entries() {
  gdbus call --session --dest "$1" --object-path "$2" \
    --method com.canonical.dbusmenu.GetLayout -- 0 -1 '[]' |
    python3 -c '
import re, sys
for number, label in re.findall(r"\((\d+), \{[^{}]*?'"'"'label'"'"': <'"'"'([^'"'"']*)'"'"'>", sys.stdin.read()):
    print(number + "\t" + label)'
}

# Clicks the entry labelled $3 in the menu $1 $2, as the tray host does.
menu_click() {
  local id
  id=$(menu_entries "$1" "$2" | awk -F'\t' -v label="$3" '$2 == label {print $1; exit}')
  [ -n "$id" ] || { echo "no menu entry \"$3\"" >&2; return 1; }
  gdbus call --session --dest "$1" --object-path "$2" --method com.canonical.dbusmenu.Event \
    "$id" "'clicked'" '<0>' 0 >/dev/null
}

# A left click on the item, as the tray host tells it.
item_activate() {
  gdbus call --session --dest "${1%%/*}" --object-path "/${1#*/}" \
    --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
}
