# Prints the state of the scenario's watched keys, shared-library counts and folders in one text
# that does not depend on where the machine is. Sourced after product.sh by a runner that defines:
#   query ARGS...     reg.exe's "query" with ARGS; its output and status
#   host PATH         the host path of the Windows path PATH
dump_state() {
  local key name folder path out
  for key in "${watched_keys[@]}"; do
    echo "key $key"
    if out=$(query "$key" /s); then
      # A key is listed with the values it holds; reg.exe implementations differ on listing
      # keys without values.
      printf '%s\n' "$out" | tr -d '\r' |
        awk '/^$/ { next } /^    / { if (head != "") print head; head = ""; print; next } { head = $0 }'
      echo "  present"
    else
      echo "  absent"
    fi
  done
  for name in "${watched_values[@]}"; do
    echo "count $name"
    if out=$(query "$shared" /v "$name"); then
      printf '%s\n' "$out" | tr -d '\r' | grep -F "REG_"
    else
      echo "  absent"
    fi
  done
  for folder in "${watched_folders[@]}"; do
    echo "folder $folder"
    path=$(host "$folder")
    if [ ! -d "$path" ]; then
      echo "  absent"
      continue
    fi
    (cd "$path" && find . -mindepth 1 | LC_ALL=C sort) | while read -r entry; do
      if [ -d "$path/$entry" ]; then
        echo "  ${entry#./}/"
      elif [ "$(wc -c <"$path/$entry")" -gt 256 ]; then
        echo "  ${entry#./}: a program or other large file"
      else
        echo "  ${entry#./}: $(tr '\r\n' '~|' <"$path/$entry")"
      fi
    done
  done
}
