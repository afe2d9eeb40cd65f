# The product of the whole-run scenario, shared by the runs on the embedded machine and under
# Wine. Sourced by a runner that defines:
#   reg ARGS...       reg.exe's "add" with ARGS (the runner adds /f)
#   put PATH TEXT     writes TEXT to the Windows path PATH, making its folders
# The layout: files in two record keys, shared-library counts (one kept with a lower count, three
# at 1 that the user is asked about), an alias with no database engine installed, INI entries of the
# product's own INI file, and registry keys under two roots that other software also wrote to.
# SCENARIO=german runs the same product as a German one: names with umlauts and sharp s in the
# product name, its folders, a file and a shared library (all in Windows-1252).
case "${SCENARIO:-english}" in
  english)
    product="Tarnwell Scenario"
    app='C:\Program Files\Tarnwell Scenario'
    common='C:\Program Files\Common Files\Tarnwell Scenario'
    readme=readme.txt
    shared_dll=tsshared.dll
    expected_file=expected.txt
    ;;
  german)
    product="Müller Werkzeuge"
    app='C:\Programme\Müller Werkzeuge'
    common='C:\Programme\Gemeinsame Dateien\Müller Werkzeuge'
    readme=Übersicht.hlp
    shared_dll=Größe.dll
    expected_file=expected-german.txt
    ;;
  *)
    echo "unknown scenario: $SCENARIO" >&2
    exit 2
    ;;
esac
record="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
shared='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs'
vendor="Software\\$product"
crlf=$'\r\n'

# The "Confirm" questions in the order they come, each a file name and the answer (Escape
# answers No; on the embedded machine both are an "n").
answers=("tslast.dll=yes" "tskeep.dll=escape" "tsalso.dll=no")

lay_out() {
  put "$app\\$readme" "$product"
  put "$app\\Data\\records.dat" "records"
  put "$app\\Data\\Cache\\index.dat" "index"
  put "$common\\$shared_dll" "shared"
  put "$common\\tslast.dll" "last user"
  put "$common\\tskeep.dll" "kept by the user"
  put "$common\\tsalso.dll" "also kept"
  put "$app\\scenario.ini" "[Settings]${crlf}Colour=blue${crlf}Language=en${crlf}[Recent]${crlf}File1=a.txt${crlf}"

  reg "$record" /v DisplayName /d "$product"
  reg "$record" /v UninstallString /d "\"$app\\uninstall.exe\" $product"
  reg "$record\\Files" /v File1 /d "$app\\$readme"
  reg "$record\\Files" /v File2 /d "$common\\$shared_dll"
  reg "$record\\Files" /v File3 /d "$common\\tslast.dll"
  reg "$record\\Files" /v File4 /d "$common\\tskeep.dll"
  reg "$record\\Files" /v File5 /d "$app\\gone.txt"
  reg "$record\\Files" /v File6 /d "$common\\tsalso.dll"
  reg "$record\\Files" /v Entries /d 6
  reg "$record\\Files1" /v File1 /d "$app\\Data\\records.dat"
  reg "$record\\Files1" /v File2 /d "$app\\Data\\Cache\\index.dat"
  reg "$record\\Files1" /v Entries /d 2
  reg "$shared" /v "$common\\$shared_dll" /t REG_DWORD /d 2
  reg "$shared" /v "$common\\tslast.dll" /t REG_DWORD /d 1
  reg "$shared" /v "$common\\tskeep.dll" /t REG_DWORD /d 1
  reg "$shared" /v "$common\\tsalso.dll" /t REG_DWORD /d 1

  reg "$record\\Aliases\\ScenarioDB" /v Path /d "$app\\Data"
  reg "$record\\INIFiles\\1" /v FilePath /d "$app\\scenario.ini"
  reg "$record\\INIFiles\\1\\Entries\\Settings" /v Colour /d ""
  reg "$record\\INIFiles\\1\\Entries\\Recent" /v File1 /d ""

  reg "HKLM\\$vendor" /v Version /d 1.0
  reg "HKLM\\$vendor\\Options" /v Sound /t REG_DWORD /d 1
  reg "HKLM\\$vendor\\Options" /v Theme /d "other software's"
  reg "HKCU\\$vendor\\Settings" /v Window /d maximised
  reg "$record\\RegistryKeys\\1" /v Key /d "\\$vendor"
  reg "$record\\RegistryKeys\\1" /v Root /t REG_DWORD /d 4
  reg "$record\\RegistryKeys\\1\\Entries" /v Version /d ""
  reg "$record\\RegistryKeys\\2" /v Key /d "\\$vendor\\Options"
  reg "$record\\RegistryKeys\\2" /v Root /t REG_DWORD /d 4
  reg "$record\\RegistryKeys\\2\\Entries" /v Sound /d ""
  reg "$record\\RegistryKeys\\3" /v Key /d "\\$vendor\\Settings"
  reg "$record\\RegistryKeys\\3" /v Root /t REG_DWORD /d 2
  reg "$record\\RegistryKeys\\3\\Entries" /v Window /d ""
}

# What the run leaves is compared on these keys, shared-library values and folders.
watched_keys=("$record" "HKLM\\$vendor" "HKLM\\$vendor\\Options"
  "HKCU\\$vendor" "HKCU\\$vendor\\Settings")
watched_values=("$common\\$shared_dll" "$common\\tslast.dll" "$common\\tskeep.dll"
  "$common\\tsalso.dll")
watched_folders=("$app" "$common")
