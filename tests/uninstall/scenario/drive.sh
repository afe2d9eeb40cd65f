# Sourced by the scenario's runners: drive C: of the machine as a host folder, $drive_c.
#   host PATH         the host path of the Windows path PATH on drive C:
#   put PATH TEXT     writes TEXT to PATH, making its folders
host() {
  local path=${1#[Cc]:\\}
  echo "$drive_c/${path//\\//}"
}
put() {
  mkdir -p "$(dirname "$(host "$1")")"
  printf '%s' "$2" >"$(host "$1")"
}
