#!/usr/bin/env bash
# What Windows users download, built by scripts/package: version 1.0.0
# unsigned and 1.0.1 signed with a throwaway certificate. Checks the zip, the
# checksums, the x86 installer's tables and the signatures; rebuilds
# Velmora.exe from a copy of the sources in another folder to show that the
# build is reproducible; and installs, starts, upgrades and removes the x64
# installer under Wine. Runs on the Wine prefix and display of scripts/test,
# or starts its own.
set -euo pipefail
cd "$(dirname "$0")/../.."

readonly MAX_BYTES=$((250 * 1024))
readonly X64_BUILD=build/package-x64 X86_BUILD=build/package-i686
work=$(mktemp -d /tmp/velmora-package.XXXXXX)

cleanup() {
  rm -rf "$work"
  [ -z "${own_wine_env:-}" ] || wine_env_stop
}
trap cleanup EXIT
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  source scripts/wine-env
  wine_env_start
  own_wine_env=1
fi
# desktopctl, with which the end-to-end tests look at the desktop.
cmake --preset mingw-x64 > /dev/null
cmake --build --preset mingw-x64 -j "$(nproc)" --target desktopctl > /dev/null
source tests/e2e/lib.sh build/mingw-x64
E2E_DIR=$work/e2e E2E_DESKTOP="Velmora-package-$RANDOM$RANDOM" E2E_LAUNCHED=() E2E_ON_EXIT=cleanup
mkdir "$E2E_DIR"
trap stop_all EXIT

# --- The packages ------------------------------------------------------------

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Velmora test" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2> /dev/null
scripts/package --out "$work/old" > /dev/null
scripts/package --version 1.0.1 --sign "$work/cert.pem" "$work/key.pem" --out "$work/new" > /dev/null
old_x64=$(echo "$work"/old/Velmora-*-x64.msi) old_x86=$(echo "$work"/old/Velmora-*-x86.msi)
new_x64=$work/new/Velmora-1.0.1-x64.msi new_x86=$work/new/Velmora-1.0.1-x86.msi
[[ $old_x64 == */Velmora-1.0.0-x64.msi ]] || fail "the default package is not 1.0.0: $old_x64"

for package in "$old_x64" "$old_x86" "$work"/old/Velmora-*-portable.zip; do
  bytes=$(stat -c %s "$package")
  echo "$(basename "$package"): $bytes bytes"
  [ "$bytes" -le "$MAX_BYTES" ] || fail "$package is larger than $MAX_BYTES bytes"
done
[ "$(wc -l < "$work/old/SHA256SUMS")" -eq 3 ] || fail "SHA256SUMS does not list the three packages"
(cd "$work/old" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"

# Unpacks a zip into a folder of the same name and checks its list of files.
unpack() {
  local listed
  listed=$(unzip -Z1 "$1" | sort | paste -sd ' ')
  [ "$listed" = "LICENSE LISEZMOI.txt x64/Velmora.exe x86/Velmora.exe" ] ||
    fail "$(basename "$1") holds: $listed"
  unzip -q "$1" -d "${1%.zip}"
}
unpack "$work"/old/Velmora-*-portable.zip
unpack "$work/new/Velmora-1.0.1-portable.zip"
old_zip=$(echo "$work"/old/Velmora-*-portable) new_zip=$work/new/Velmora-1.0.1-portable
cmp "$old_zip/x64/Velmora.exe" "$X64_BUILD/Velmora.exe" || fail "the zip's x64 program is not the build's"
cmp "$old_zip/x86/Velmora.exe" "$X86_BUILD/Velmora.exe" || fail "the zip's x86 program is not the build's"

# Each installer packs its architecture's program as built, and nothing else.
for build in "$old_x64 $X64_BUILD" "$old_x86 $X86_BUILD"; do
  read -r msi reference <<< "$build"
  packed=$(msiextract -C "${msi%.msi}" "$msi")
  [[ $packed =~ ^(Program\ Files/)?Velmora/Velmora\.exe$ ]] || fail "$(basename "$msi") packs: $packed"
  cmp "${msi%.msi}/$packed" "$reference/Velmora.exe" ||
    fail "$(basename "$msi") does not hold the build's program"
done

# The x86 installer cannot run under this Wine: its tables must say what the
# x64 one says, for a 32-bit Program Files.
msiinfo suminfo "$old_x86" | grep -q '^Template: Intel;' || fail "the x86 package is not for Intel"
msiinfo suminfo "$old_x64" | grep -q '^Template: x64;' || fail "the x64 package is not for x64"
directories=$(msiinfo export "$old_x86" Directory)
grep -q $'^INSTALLDIR\tProgramFilesFolder\tVelmora' <<< "$directories" &&
  ! grep -q ProgramFiles64Folder <<< "$directories" || fail "the x86 package's folders: $directories"
# Rows as the installer sees them; a file's size (4th column) differs with the
# architecture.
rows() { msiinfo export "$1" "$2" | tail -n +4 | awk -F'\t' -v OFS='\t' '$4 = "-"' | sort; }
for table in File Shortcut Feature FeatureComponents; do
  [ "$(rows "$old_x86" "$table")" = "$(rows "$old_x64" "$table")" ] ||
    fail "the x86 and x64 packages' $table tables differ"
done

# --- Signatures --------------------------------------------------------------

verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" > "$work/verify.log" 2>&1; }
for signed in "$new_zip/x64/Velmora.exe" "$new_zip/x86/Velmora.exe" "$new_x64" "$new_x86"; do
  verify "$signed" || { cat "$work/verify.log" >&2; fail "$signed: signature not accepted"; }
done
for unsigned in "$old_zip/x64/Velmora.exe" "$old_x64"; do
  ! verify "$unsigned" || fail "$unsigned is signed without --sign"
done
# One byte of the program's code changed after signing.
corrupt=$work/corrupt.exe
cp "$new_zip/x64/Velmora.exe" "$corrupt"
offset=$((0x400))
byte=$(od -An -tu1 -j "$offset" -N1 "$corrupt")
printf '%b' "\\$(printf '%03o' $((byte ^ 0xff)))" | dd of="$corrupt" bs=1 seek="$offset" conv=notrunc 2> /dev/null
! verify "$corrupt" || fail "a corrupted signed program passes verification"

# --- Reproducible builds -----------------------------------------------------

# The same sources in another folder, built later, give the same bytes.
copy=$work/elsewhere/velmora-sources
mkdir -p "$copy"
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy"
for build in "mingw-x64 $X64_BUILD" "mingw-i686 $X86_BUILD"; do
  read -r preset reference <<< "$build"
  (cd "$copy" && cmake --preset "$preset" -B "out-$preset" -DBUILD_TESTING=OFF > /dev/null &&
    cmake --build "out-$preset" -j "$(nproc)" --target Velmora > /dev/null)
  cmp "$copy/out-$preset/Velmora.exe" "$reference/Velmora.exe" ||
    fail "Velmora.exe ($preset) differs between two builds"
done

# --- Installing under Wine ---------------------------------------------------

# Wine would copy each shortcut into the Linux desktop's menus, outside the
# prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"
readonly UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
readonly INSTALLED="$WINEPREFIX/drive_c/Program Files/Velmora"
readonly PROGRAM='C:\Program Files\Velmora\Velmora.exe'

# Runs msiexec silently and prints how long it took, in ms.
msiexec_timed() {
  local start status=0
  start=$(date +%s%N)
  wine msiexec "$@" /qn > /dev/null 2>&1 || status=$?
  echo $((($(date +%s%N) - start) / 1000000))
  return "$status"
}
install() { install_ms=$(msiexec_timed /i "$@") || fail "installing $1 failed"; }
uninstall() { uninstall_ms=$(msiexec_timed /x "$1") || fail "uninstalling $1 failed"; }

# The uninstall entries whose DisplayName is Velmora.
velmora_entries() {
  wine reg query "$UNINSTALL" /s 2> /dev/null | tr -d '\r' |
    awk '/^HKEY/ { key = $0 } $1 == "DisplayName" && $2 == "REG_SZ" && $3 == "Velmora" && NF == 3 { print key }'
}
entry_value() {
  wine reg query "$1" /v "$2" 2> /dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = $2 = ""; print substr($0, 3) }'
}
# Wine puts a per-machine package's shortcuts in the user's Start menu, where
# Windows puts them in every user's: both are searched.
shortcuts() {
  find "$WINEPREFIX/drive_c/ProgramData" "$WINEPREFIX/drive_c/users" \
    -ipath "*/Start Menu/Programs/$1" 2> /dev/null
}
start_menu_shortcut() { shortcuts Velmora.lnk; }
sweep_shortcut() { shortcuts 'Velmora - Fermer les navigateurs.lnk'; }
startup_shortcut() { shortcuts StartUp/Velmora.lnk; }
# A shortcut holds its target's full path.
points_at_program() { grep -aqF "$PROGRAM" "$1"; }

# Installed once: the program, its shortcut and one uninstall entry.
check_installed() {
  local version=$1 program=$2 entries link
  cmp "$INSTALLED/Velmora.exe" "$program" || fail "the installed Velmora.exe is not $version's"
  link=$(start_menu_shortcut)
  [ -n "$link" ] || fail "no Start-menu shortcut"
  points_at_program "$link" || fail "the Start-menu shortcut does not point at $PROGRAM"
  link=$(sweep_shortcut)
  # Its arguments are kept in UTF-16.
  [ -n "$link" ] && points_at_program "$link" && tr -d '\0' < "$link" | grep -aq '/balayer' ||
    fail "no Start-menu shortcut that runs $PROGRAM /balayer"
  entries=$(velmora_entries)
  [ "$(wc -l <<< "$entries")" -eq 1 ] && [ -n "$entries" ] || fail "uninstall entries: ${entries:-none}"
  [ "$(entry_value "$entries" DisplayVersion)" = "$version" ] || fail "the uninstall entry is not $version's"
  [ "$(entry_value "$entries" Publisher)" = Velmora ] || fail "the uninstall entry has no publisher"
  # Add/Remove Programs shows the icon that the product registers.
  wine reg query 'HKLM\Software\Classes\Installer\Products' /s | tr -d '\r' |
    grep -q '^ *ProductIcon *REG_SZ *C:.*\\eye\.ico$' || fail "no product icon registered"
}
# Windows Installer files its keys under GUIDs written backwards: each of the
# first three groups reversed, then each byte's two digits swapped.
packed_guid() {
  local hex=${1//[\{\}-]/} packed="" i
  for i in 7 6 5 4 3 2 1 0 11 10 9 8 15 14 13 12; do packed+=${hex:i:1}; done
  for ((i = 16; i < 32; i += 2)); do packed+=${hex:i+1:1}${hex:i:1}; done
  echo "$packed"
}
property() { msiinfo export "$1" Property | tr -d '\r' | awk -v n="$2" '$1 == n { print $2 }'; }
# Every line of the registry that names Velmora, its upgrade code or either
# product code, plainly or packed.
registry_traces() {
  local file=$work/registry.reg code codes=()
  for code in "$(property "$old_x64" UpgradeCode)" "$(property "$old_x64" ProductCode)" \
    "$(property "$new_x64" ProductCode)"; do
    code=${code//[\{\}]/}
    codes+=(-e "$code" -e "$(packed_guid "$code")")
  done
  wine regedit /E "$(windows_path "$file")" > /dev/null 2>&1
  iconv -f UTF-16LE -t UTF-8 "$file" | tr -d '\r' | grep -i -F -e Velmora "${codes[@]}" | sort || true
}
# Nothing of Velmora left: no file, folder, shortcut or registry key.
check_removed() {
  local left
  left=$(find "$WINEPREFIX/drive_c" -iname '*velmora*')
  [ -z "$left" ] || fail "left after uninstalling: $left"
  [ "$(ls -A "$WINEPREFIX/drive_c/windows/Installer")" = "$installer_files_before" ] ||
    fail "left in C:\\windows\\Installer: $(ls -A "$WINEPREFIX/drive_c/windows/Installer")"
  left=$(registry_traces)
  [ "$left" = "$registry_before" ] ||
    fail "left in the registry: $(diff <(echo "$registry_before") <(echo "$left"))"
}

mkdir -p "$WINEPREFIX/drive_c/windows/Installer"
installer_files_before=$(ls -A "$WINEPREFIX/drive_c/windows/Installer")
registry_before=$(registry_traces)

install "$old_x64"
echo "install: $install_ms ms"
check_installed 1.0.0 "$old_zip/x64/Velmora.exe"
[ -z "$(startup_shortcut)" ] || fail "the startup shortcut is installed by default"
[ "$(registry_traces)" != "$registry_before" ] || fail "the registry shows no sign of the installation"

# The installed program starts, shows its icon and quits from its menu.
started=$(ctl start-until-icon "$PROGRAM")
[[ $started == icon* ]] || fail "the installed Velmora showed no icon: $started"
xdotool mousemove 512 384
wait_for "the tray icon's picture" 15 record_normal_icon
tray_right_click
wait_for "the menu" 10 menu_open
choose_menu_item "$E2E_ITEM_EXIT"
wait_for "the icon to go" 10 icon_is none
wait_for "the main form to go" 10 main_forms_are 0

uninstall "$old_x64"
echo "uninstall: $uninstall_ms ms"
check_removed

install "$old_x64" ADDLOCAL=Velmora,Startup
link=$(startup_shortcut)
[ -n "$link" ] || fail "ADDLOCAL=Velmora,Startup installed no startup shortcut"
points_at_program "$link" || fail "the startup shortcut does not point at $PROGRAM"

# The newer package replaces the older one; here without the startup feature.
install "$new_x64" ADDLOCAL=Velmora
check_installed 1.0.1 "$new_zip/x64/Velmora.exe"
[ -z "$(startup_shortcut)" ] || fail "the startup shortcut stays without its feature"

# The older one is refused and the newer one stays. Wine's msiexec does not
# show or log a launch condition's message: the package must hold it. The
# exit status is ERROR_INSTALL_FAILURE (1603) cut to its low byte.
status=0
msiexec_timed /i "$old_x64" > /dev/null || status=$?
[ "$status" -eq $((1603 & 255)) ] || fail "1.0.0 over 1.0.1 ended with status $status"
msiinfo export "$old_x64" LaunchCondition |
  grep -qF $'NOT WIX_DOWNGRADE_DETECTED\tUne version plus récente de Velmora est déjà installée' ||
  fail "the refusal has no French message"
check_installed 1.0.1 "$new_zip/x64/Velmora.exe"

uninstall "$new_x64"
check_removed
echo "PASS"
