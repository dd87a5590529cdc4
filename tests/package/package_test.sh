#!/usr/bin/env bash
# What Windows users download, built by scripts/package: version 1.0.0
# unsigned with its winget and Scoop manifests, and 1.0.1 signed with a
# throwaway certificate. Checks the zip (also built under another umask), the
# checksums, the programs' imports and headers, the installers' tables, the
# manifests and the signatures; rebuilds Velmora.exe from a copy of the
# sources in another folder to show that the build is reproducible; and
# installs, starts, replaces, repairs, upgrades and removes the installers of
# both architectures under Wine. Runs on the Wine prefix and display of
# scripts/test, or starts its own.
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
E2E_DIR=$work/e2e E2E_DESKTOP="Velmora-package-$RANDOM$RANDOM" E2E_ON_EXIT=cleanup
mkdir "$E2E_DIR"
trap stop_all EXIT

# --- The packages ------------------------------------------------------------

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Velmora test" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2> /dev/null
readonly URL=https://example.org/velmora/1.0.0 HOMEPAGE=https://example.org/velmora-home
readonly LATEST=https://example.org/velmora/latest.html
(umask 022 && scripts/package --out "$work/old" --url "$URL" --homepage "$HOMEPAGE" --checkver-url "$LATEST" > /dev/null)
(umask 002 && scripts/package --out "$work/umask002" > /dev/null)
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
cmp "$work"/old/Velmora-*-portable.zip "$work"/umask002/Velmora-*-portable.zip ||
  fail "the zip differs between umasks 022 and 002"

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

# Both programs import only what they use and name Windows Vista (6.0) as
# the oldest Windows they run on.
for program in "x86_64 $old_zip/x64/Velmora.exe" "i686 $old_zip/x86/Velmora.exe"; do
  read -r arch program <<< "$program"
  cmake -DOBJDUMP="$arch-w64-mingw32-objdump" -DPROGRAM="$program" \
    -P tests/resources/check_imports.cmake || fail "$program: imports"
  versions=$("$arch-w64-mingw32-objdump" -p "$program" |
    awk '$1 ~ /^M(aj|in)or(OSystem|Subsystem)Version$/ { print $2 }' | paste -sd ' ')
  [ "$versions" = "6 0 6 0" ] || fail "$program: OS and subsystem versions $versions, not 6.0"
done

# Each installer packs its architecture's program as built, and nothing else.
for build in "$old_x64 $X64_BUILD" "$old_x86 $X86_BUILD"; do
  read -r msi reference <<< "$build"
  packed=$(msiextract -C "${msi%.msi}" "$msi")
  [[ $packed =~ ^(Program\ Files/)?Velmora/Velmora\.exe$ ]] || fail "$(basename "$msi") packs: $packed"
  cmp "${msi%.msi}/$packed" "$reference/Velmora.exe" ||
    fail "$(basename "$msi") does not hold the build's program"
done

property() { msiinfo export "$1" Property | tr -d '\r' | awk -v n="$2" '$1 == n { print $2 }'; }
rows() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }
# What wixl would drop or get wrong, mended by scripts/package.
for package in "$old_x64 x64" "$old_x86 Intel"; do
  read -r msi platform <<< "$package"
  name=$(basename "$msi")
  summary=$(msiinfo suminfo "$msi" | iconv -f CP1252 -t UTF-8)
  grep -qx "Template: $platform;1036" <<< "$summary" || fail "$name is not for $platform in French"
  grep -qx 'Comments: Ferme les fenêtres de navigateur et les boîtes de dialogue' <<< "$summary" ||
    fail "$name's summary comments are not in code page 1252"
  [ "$(property "$msi" ARPNOMODIFY)" = 1 ] || fail "$name lets Apps & features modify it"
  grep -qP '^Velmora\t.*\t16$' <<< "$(rows "$msi" Feature)" || fail "$name's feature can be made absent"
  [ -z "$(rows "$msi" Component | awk -F'\t' '$6 == ""')" ] || fail "$name has components without a key path"
  grep -qxF $'Installed OR VersionNT >= 600\tVelmora nécessite Windows Vista ou une version plus récente de Windows.' \
    <<< "$(rows "$msi" LaunchCondition)" ||
    fail "$name does not refuse Windows XP in French"
  # Any older version and this one, the other architecture's package, with
  # the features it had (513: migrate features, maximum included).
  grep -qxP '\{[-0-9A-F]+\}\t\t1\.0\.0\t\t513\t\tWIX_UPGRADE_DETECTED' <<< "$(rows "$msi" Upgrade)" ||
    fail "$name does not replace its own version of the other architecture"
  grep -q '^MigrateFeatureStates' <<< "$(rows "$msi" InstallExecuteSequence)" ||
    fail "$name does not carry the chosen features over"
done
directories=$(msiinfo export "$old_x86" Directory)
grep -q $'^INSTALLDIR\tProgramFilesFolder\tVelmora' <<< "$directories" &&
  ! grep -q ProgramFiles64Folder <<< "$directories" || fail "the x86 package's folders: $directories"
# Rows as the installer sees them; a file's size (4th column) differs with the
# architecture.
same_rows() { rows "$1" "$2" | awk -F'\t' -v OFS='\t' '$4 = "-"' | sort; }
for table in File Shortcut Feature FeatureComponents Registry Upgrade LaunchCondition; do
  [ "$(same_rows "$old_x86" "$table")" = "$(same_rows "$old_x64" "$table")" ] ||
    fail "the x86 and x64 packages' $table tables differ"
done

# --- winget and Scoop manifests ----------------------------------------------

tests/package/validate_manifests.py "$work/old" || fail "the manifests do not match their schemas"
for msi in "$old_x64" "$old_x86"; do
  grep -qF "InstallerUrl: $URL/$(basename "$msi")" "$work/old/winget/Velmora.Velmora.installer.yaml" &&
    grep -qF "InstallerSha256: $(sha256sum "$msi" | cut -c1-64 | tr a-f A-F)" \
      "$work/old/winget/Velmora.Velmora.installer.yaml" &&
    grep -qF "ProductCode: '$(property "$msi" ProductCode)'" "$work/old/winget/Velmora.Velmora.installer.yaml" ||
    fail "the winget installer manifest does not describe $(basename "$msi")"
done
[ "$(grep -c '^  ElevationRequirement: elevationRequired$' "$work/old/winget/Velmora.Velmora.installer.yaml")" = 2 ] ||
  fail "winget may install a per-machine package without elevation"
grep -qF "\"hash\": \"$(sha256sum "$work"/old/Velmora-*-portable.zip | cut -c1-64)\"" "$work/old/scoop/velmora.json" ||
  fail "the Scoop manifest does not hold the zip's hash"
# The schema that winget-pkgs accepts, in the data and in the editor's hint.
for manifest in "$work"/old/winget/*.yaml; do
  grep -qx 'ManifestVersion: 1.12.0' "$manifest" && head -1 "$manifest" | grep -q '\.1\.12\.0\.schema\.json$' ||
    fail "$(basename "$manifest") is not of winget's schema 1.12.0"
done
grep -qx "PackageUrl: $HOMEPAGE" "$work/old/winget/Velmora.Velmora.locale.fr-FR.yaml" ||
  fail "the winget manifest does not name the project's page"
# Scoop finds the newest version in the listing of BASE's parent folder, or on
# GitHub, and downloads it and its hash where this one is.
PYTHONPATH=packaging python3 - "$work/old/scoop/velmora.json" "$HOMEPAGE" << 'EOF' ||
import json, re, sys
from manifests import checkver
scoop = json.load(open(sys.argv[1]))
assert scoop["homepage"] == sys.argv[2]
# Scoop's rule without "reverse": the first match, on a page that names the
# newest version first, beside other numbers (a date, a size).
page = '<h1>Velmora 1.10.0</h1> <p>2026-12-09, 1.2 MB</p> <h2>1.9.0</h2> <a href="1.9.0/">1.9.0/</a>'
assert scoop["checkver"]["url"] == "https://example.org/velmora/latest.html" and "reverse" not in scoop["checkver"]
assert re.search(scoop["checkver"]["regex"], page)[1] == "1.10.0"
for arch, following in scoop["autoupdate"]["architecture"].items():
    assert following["url"].replace("$version", "2.0.0") == scoop["architecture"][arch]["url"].replace("1.0.0", "2.0.0")
    assert following["hash"] == {"url": "$baseurl/SHA256SUMS"}
assert checkver("https://github.com/o/r/releases/download/v1.0.0", "") == {"github": "https://github.com/o/r"}
# A listing sorted by name ends with 1.9.0: no page, no manifest.
try:
    checkver("https://example.org/velmora/1.10.0", "")
    raise AssertionError("a folder listing to follow")
except SystemExit:
    pass
EOF
  fail "the Scoop manifest cannot follow new releases"

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
  (cd "$copy" && cmake --preset "$preset" -B "out-$preset" -DBUILD_TESTING=OFF -DVELMORA_MINGW_THREADS=win32 > /dev/null &&
    cmake --build "out-$preset" -j "$(nproc)" --target Velmora > /dev/null)
  cmp "$copy/out-$preset/Velmora.exe" "$reference/Velmora.exe" ||
    fail "Velmora.exe ($preset) differs between two builds"
done

# --- Installing under Wine ---------------------------------------------------

# Wine would copy each shortcut into the Linux desktop's menus, outside the
# prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"
readonly UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# Where each architecture's package puts Velmora.exe on 64-bit Windows.
program_folder() {
  case $1 in
    x64) echo "$WINEPREFIX/drive_c/Program Files/Velmora" ;;
    x86) echo "$WINEPREFIX/drive_c/Program Files (x86)/Velmora" ;;
  esac
}
program_path() {
  case $1 in
    x64) echo 'C:\Program Files\Velmora\Velmora.exe' ;;
    x86) echo 'C:\Program Files (x86)\Velmora\Velmora.exe' ;;
  esac
}

# The 64-bit msiexec, reg and regedit run here (wine64), as on 64-bit
# Windows.
# Runs msiexec silently and prints how long it took, in ms.
msiexec_timed() {
  local start status=0
  start=$(date +%s%N)
  wine64 msiexec "$@" /qn > /dev/null 2>&1 || status=$?
  echo $((($(date +%s%N) - start) / 1000000))
  return "$status"
}
install() { install_ms=$(msiexec_timed /i "$@") || fail "installing $1 failed"; }
uninstall() { uninstall_ms=$(msiexec_timed /x "$1") || fail "uninstalling $1 failed"; }

# The uninstall entries whose DisplayName is Velmora, in the 64-bit and the
# 32-bit registry, where Wine files a 32-bit package's entry.
velmora_entries() {
  { wine64 reg query "$UNINSTALL" /s; wine64 reg query "${UNINSTALL/Software/Software\\Wow6432Node}" /s; true; } 2> /dev/null |
    tr -d '\r' | awk '/^HKEY/ { key = $0 } $1 == "DisplayName" && $2 == "REG_SZ" && $3 == "Velmora" && NF == 3 { print key }'
}
entry_value() {
  wine64 reg query "$1" /v "$2" 2> /dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = $2 = ""; print substr($0, 3) }'
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
points_at_program() { grep -aqF "$(program_path "$2")" "$1"; }

# Installed once: the program of one architecture only, its shortcut and one
# uninstall entry.
check_installed() {
  local version=$1 arch=$2 program=$3 other entries link products
  cmp "$(program_folder "$arch")/Velmora.exe" "$program" || fail "the installed Velmora.exe is not $version's"
  other=$([ "$arch" = x64 ] && echo x86 || echo x64)
  [ ! -e "$(program_folder "$other")" ] || fail "the $other program stays beside the $arch one"
  link=$(start_menu_shortcut)
  [ "$(wc -l <<< "$link")" -eq 1 ] && [ -n "$link" ] || fail "Start-menu shortcuts: ${link:-none}"
  points_at_program "$link" "$arch" || fail "the Start-menu shortcut does not point at the $arch program"
  link=$(sweep_shortcut)
  # Its arguments are kept in UTF-16.
  [ -n "$link" ] && points_at_program "$link" "$arch" && tr -d '\0' < "$link" | grep -aq '/balayer' ||
    fail "no Start-menu shortcut that runs the $arch program /balayer"
  entries=$(velmora_entries)
  [ "$(wc -l <<< "$entries")" -eq 1 ] && [ -n "$entries" ] || fail "uninstall entries: ${entries:-none}"
  [ "$(entry_value "$entries" DisplayVersion)" = "$version" ] || fail "the uninstall entry is not $version's"
  [ "$(entry_value "$entries" Publisher)" = Velmora ] || fail "the uninstall entry has no publisher"
  # Add/Remove Programs shows the icon that the product registers.
  products=$(wine64 reg query 'HKLM\Software\Classes\Installer\Products' /s | tr -d '\r')
  grep -q '^ *ProductIcon *REG_SZ *C:.*\\eye\.ico$' <<< "$products" || fail "no product icon registered"
}
# Windows Installer files its keys under GUIDs written backwards: each of the
# first three groups reversed, then each byte's two digits swapped.
packed_guid() {
  local hex=${1//[\{\}-]/} packed="" i
  for i in 7 6 5 4 3 2 1 0 11 10 9 8 15 14 13 12; do packed+=${hex:i:1}; done
  for ((i = 16; i < 32; i += 2)); do packed+=${hex:i+1:1}${hex:i:1}; done
  echo "$packed"
}
# Every line of the registry that names Velmora, its upgrade code or either
# product code, plainly or packed.
registry_traces() {
  local file=$work/registry.reg code codes=()
  for code in "$(property "$old_x64" UpgradeCode)" "$(property "$old_x64" ProductCode)" \
    "$(property "$old_x86" ProductCode)" "$(property "$new_x64" ProductCode)"; do
    code=${code//[\{\}]/}
    codes+=(-e "$code" -e "$(packed_guid "$code")")
  done
  wine64 regedit /E "$(windows_path "$file")" > /dev/null 2>&1
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
check_installed 1.0.0 x64 "$old_zip/x64/Velmora.exe"
[ -z "$(startup_shortcut)" ] || fail "the startup shortcut is installed by default"
[ "$(registry_traces)" != "$registry_before" ] || fail "the registry shows no sign of the installation"

# The installed program starts, shows its icon and quits from its menu.
started=$(ctl start-until-icon "$(program_path x64)")
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
points_at_program "$link" x64 || fail "the startup shortcut does not point at the x64 program"

# The other architecture's package of the same version replaces it: one
# product still. (Windows would keep the startup feature too; Wine 8 does not
# carry out MigrateFeatureStates, so the tables above check what asks for it.)
install "$old_x86"
check_installed 1.0.0 x86 "$old_zip/x86/Velmora.exe"

# A repair puts back a shortcut that the user deleted: msiexec /fa, given as
# the properties it sets, since Wine's /f does not take a package's path.
rm "$(start_menu_shortcut)"
msiexec_timed /i "$old_x86" REINSTALL=ALL REINSTALLMODE=a > /dev/null || fail "repairing $old_x86 failed"
check_installed 1.0.0 x86 "$old_zip/x86/Velmora.exe"

uninstall "$old_x86"
check_removed

# A newer package replaces an older one, here of the other architecture and
# without the startup feature.
install "$old_x86" ADDLOCAL=Velmora,Startup
install "$new_x64" ADDLOCAL=Velmora
check_installed 1.0.1 x64 "$new_zip/x64/Velmora.exe"
[ -z "$(startup_shortcut)" ] || fail "the startup shortcut stays without its feature"

# An older one, of either architecture, is refused and the newer one stays.
# Wine's msiexec does not show or log a launch condition's message: the
# package must hold it. The exit status is ERROR_INSTALL_FAILURE (1603) cut
# to its low byte.
for older in "$old_x64" "$old_x86"; do
  status=0
  msiexec_timed /i "$older" > /dev/null || status=$?
  [ "$status" -eq $((1603 & 255)) ] || fail "$(basename "$older") over 1.0.1 ended with status $status"
  grep -qF $'NOT WIX_DOWNGRADE_DETECTED\tUne version plus récente de Velmora est déjà installée' \
    <<< "$(rows "$older" LaunchCondition)" ||
    fail "the refusal has no French message"
done
check_installed 1.0.1 x64 "$new_zip/x64/Velmora.exe"

uninstall "$new_x64"
check_removed
echo "PASS"
