#!/usr/bin/env bash
# The release under Wine: ./package signs with a certificate made here, then the installer is run
# the ways users and administrators run it, on a Wine prefix of its own. Each scenario prints PASS
# or FAIL with what differed; the last line counts them. Exit status 0 when every scenario passed.
# ./test runs it (stage "installer"); alone: tests/installer/installer_test.sh (needs X: DISPLAY,
# or Xvfb installed).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build-windows
work=$build/installer-test
rm -rf "$work"
mkdir -p "$work"

export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
# winemenubuilder would copy the Start-menu shortcut into this machine's desktop menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY

xvfb_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
    wineserver -k >/dev/null 2>&1
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    display=99
    while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
    Xvfb :$display -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:$display
fi

passed=0
failed=0
problems=()
# expect <what> <actual> <expected>
expect() {
    [ "$2" == "$3" ] || problems+=("$1: got '$2', expected '$3'")
}
# expect_true <what> <command...>
expect_true() {
    local what=$1
    shift
    "$@" >/dev/null 2>&1 || problems+=("$what")
}
scenario_end() {
    if [ ${#problems[@]} -eq 0 ]; then
        echo "PASS  $1"
        passed=$((passed + 1))
    else
        echo "FAIL  $1"
        printf '        %s\n' "${problems[@]}"
        failed=$((failed + 1))
    fi
    problems=()
}

# The data of a registry value ("" when the key or value is missing); value "" is the default.
reg_value() {
    local key=$1 name=$2 args
    if [ -z "$name" ]; then args=(/ve); else args=(/v "$name"); fi
    wine reg query "$key" "${args[@]}" 2>/dev/null | tr -d '\r' |
        awk -v n="${name:-(Default)}" '{
            line = $0; sub(/^[ \t]+/, "", line)
            if (index(line, n) == 1 && match(line, /[ \t]+REG_[A-Z_]+[ \t]+/)) {
                print substr(line, RSTART + RLENGTH); exit
            }
        }'
}
reg_key_exists() { wine reg query "$1" >/dev/null 2>&1; }
# Runs a Windows program and prints its exit status.
run_status() {
    wine "$@" </dev/null >/dev/null 2>&1
    echo $?
}
# The same, with the last argument passed unquoted, as NSIS wants "_?=<folder>" and as the update
# check passes the program's folder: its words become separate arguments, which Wine joins with
# blanks.
run_status_unquoted() {
    local words
    read -r -a words <<<"${!#}"
    run_status "${@:1:$#-1}" "${words[@]}"
}
windows_path() { echo "Z:$1" | tr / '\\'; }

# ---- the release, signed with a throwaway certificate ---------------------------------------------
echo "== making a throwaway code-signing certificate"
certs=$work/certs
mkdir -p "$certs"
make_ca() {  # make_ca <name>
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vexav6 Test $1 CA" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign \
        -keyout "$certs/$1-ca.key" -out "$certs/$1-ca.pem" >/dev/null 2>&1
}
make_ca test && make_ca other
openssl req -newkey rsa:2048 -nodes -subj "/CN=Vexav6 Test Publisher" \
    -keyout "$certs/signer.key" -out "$certs/signer.csr" >/dev/null 2>&1
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
    >"$certs/signer.ext"
openssl x509 -req -in "$certs/signer.csr" -CA "$certs/test-ca.pem" -CAkey "$certs/test-ca.key" \
    -CAcreateserial -days 2 -extfile "$certs/signer.ext" -out "$certs/signer.pem" >/dev/null 2>&1
openssl pkcs12 -export -inkey "$certs/signer.key" -in "$certs/signer.pem" \
    -certfile "$certs/test-ca.pem" -passout pass:throwaway -out "$certs/signer.pfx"
echo throwaway >"$certs/password"

sign_env=(VEXAV6_SIGN_PKCS12="$certs/signer.pfx" VEXAV6_SIGN_PASSWORD_FILE="$certs/password"
          VEXAV6_SIGN_CA="$certs/test-ca.pem")
echo "== ./package"
env "${sign_env[@]}" "$root/package" --output "$work/dist" >"$work/package.log" 2>&1 ||
    { cat "$work/package.log"; echo "0 passed, 1 failed"; exit 1; }
# An older release to upgrade from: the same files under version 5.9.0, which associated preset
# files as "Vexav5.9".
env "${sign_env[@]}" "$root/package" --installer-only --version-as 5.9.0 --output "$work/older" \
    >"$work/package-older.log" 2>&1 || { cat "$work/package-older.log"; echo "0 passed, 1 failed"; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
major=${version%%.*}
minor=${version#*.}
minor=${minor%%.*}
progid="Vexav$major.$minor"
setup=$work/dist/vexav6-$version-setup.exe
zip=$work/dist/vexav6-$version-portable.zip
older=$work/older/vexav6-5.9.0-setup.exe
# The package's files as ./package put them together.
stage=$build/package/$version/vexav6-$version
files=(vexav6.exe oui.db CLIHelp.txt Readme.txt ThirdPartyNotices.txt)
[ -f "$stage/help.html" ] && files+=(help.html)

expect_true "installer made" test -s "$setup"
expect_true "installer verifies against the test CA" \
    env VEXAV6_SIGN_CA="$certs/test-ca.pem" "$root/installer/sign.sh" verify "$setup"
# A signature that chains to another root must not pass: the package step would then refuse.
if env VEXAV6_SIGN_CA="$certs/other-ca.pem" "$root/installer/sign.sh" verify "$setup" >/dev/null 2>&1; then
    problems+=("installer verifies against an unrelated CA")
fi
mkdir -p "$work/unzipped"
if (cd "$work/unzipped" && cmake -E tar xf "$zip"); then
    for f in "${files[@]}"; do
        expect_true "zip holds $f" cmp "$work/unzipped/vexav6-$version/$f" "$stage/$f"
    done
    expect_true "program in the zip is signed" \
        env VEXAV6_SIGN_CA="$certs/test-ca.pem" "$root/installer/sign.sh" verify \
        "$work/unzipped/vexav6-$version/vexav6.exe"
else
    problems+=("portable zip cannot be unpacked")
fi
# The package step itself refuses a signature it cannot verify.
if env VEXAV6_SIGN_PKCS12="$certs/signer.pfx" VEXAV6_SIGN_PASSWORD_FILE="$certs/password" \
    VEXAV6_SIGN_CA="$certs/other-ca.pem" "$root/package" --installer-only --version-as 5.9.1 \
    --output "$work/refused" \
    >"$work/package-refused.log" 2>&1; then
    problems+=("./package passed with a signature that does not verify")
fi
scenario_end "./package makes a signed installer and a portable zip of the same files"

# ---- the Wine machine -----------------------------------------------------------------------------
# A fresh copy of a clean prefix that is made once and kept in the build tree (making one takes a
# minute, copying it a few seconds).
echo "== Wine prefix"
template=$build/installer-test-prefix
"$root/cmake/wine-prefix.sh" "$template" || { echo "$passed passed, $((failed + 1)) failed"; exit 1; }
cp -a "$template" "$WINEPREFIX"
wineserver -p
wine wineboot >/dev/null 2>&1

# ---- the update check's signature check ------------------------------------------------------------
# The program's own check (the one the update check makes before it starts a download) accepts the
# signed installer once the test root is trusted, and refuses it changed by one byte.
openssl x509 -in "$certs/test-ca.pem" -outform DER -out "$certs/test-ca.der"
cmake --build "$build" --target updates_tests presets_tests >/dev/null
signature_test=$(VEXAV6_SIGNED_INSTALLER=$(windows_path "$setup") \
    VEXAV6_SIGNING_ROOT=$(windows_path "$certs/test-ca.der") \
    wine "$build/tests/updates_tests.exe" \
    --gtest_filter='InstallerSignatureTest.TheReleaseInstallerVerifiesOnceItsRootIsTrusted' \
    </dev/null 2>&1 | tr -d '\r')
expect_true "signature test passed" grep -q '^\[  PASSED  \] 1 test' <<<"$signature_test"
if grep -q 'SKIPPED\|FAILED' <<<"$signature_test"; then
    problems+=("signature test: $(grep 'Failure\|Expected\|Which is\|SKIPPED\|FAILED' <<<"$signature_test" | head -5 | tr '\n' ' ')")
fi
scenario_end "the update check's signature check accepts the signed installer, not a changed one"

program_files="$WINEPREFIX/drive_c/Program Files/Korvaldine MAC Address Changer"
program_dir='C:\Program Files\Korvaldine MAC Address Changer'
exe="$program_dir\\vexav6.exe"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexav6'
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Korvaldine MAC Address Changer.lnk"
setup_log() { find "$WINEPREFIX/drive_c/users" -name vexav6-setup.log -exec cat {} + 2>/dev/null; }
leftovers() { find "$program_files" -name '*.vexav6-new' -o -name '*.vexav6-old' -o -name '~vexav6*' 2>/dev/null; }

# ---- upgrade over an older version ----------------------------------------------------------------
expect "older installer, silent" "$(run_status "$older" /S)" 0
expect "older version registered" "$(reg_value "$uninstall_key" DisplayVersion)" 5.9.0
expect "older association" "$(reg_value 'HKCR\.kpf' "")" Vexav5.9
# The user's presets and settings, as the program keeps them beside itself.
head -c 700 /dev/urandom >"$work/Default.kpf"
head -c 90 /dev/urandom >"$work/vexav6.set"
head -c 300 /dev/urandom >"$work/Office.kpf"
cp "$work/Default.kpf" "$work/vexav6.set" "$work/Office.kpf" "$program_files/"
expect "upgrade, silent" "$(run_status "$setup" /S)" 0
for f in Default.kpf vexav6.set Office.kpf; do
    expect_true "upgrade keeps $f" cmp "$program_files/$f" "$work/$f"
done
expect "version after upgrade" "$(reg_value "$uninstall_key" DisplayVersion)" "$version"
expect_true "older preset file type removed" bash -c "! wine reg query 'HKCR\\Vexav5.9' >/dev/null 2>&1"
expect "files left from the swap" "$(leftovers)" ""
scenario_end "an upgrade over an older version keeps the presets and settings"

# ---- what the installation holds --------------------------------------------------------------------
for f in "${files[@]}"; do
    expect_true "installed $f" cmp "$program_files/$f" "$stage/$f"
done
expect_true "uninstaller installed" test -s "$program_files/uninstall.exe"
expect_true "uninstaller is signed" \
    env VEXAV6_SIGN_CA="$certs/test-ca.pem" "$root/installer/sign.sh" verify "$program_files/uninstall.exe"
expect "DisplayName" "$(reg_value "$uninstall_key" DisplayName)" "Korvaldine MAC Address Changer"
expect "Publisher" "$(reg_value "$uninstall_key" Publisher)" "Korvaldine"
expect "DisplayIcon" "$(reg_value "$uninstall_key" DisplayIcon)" "$exe,0"
expect "InstallLocation" "$(reg_value "$uninstall_key" InstallLocation)" "$program_dir"
expect "UninstallString" "$(reg_value "$uninstall_key" UninstallString)" "\"$program_dir\\uninstall.exe\""
size=$(reg_value "$uninstall_key" EstimatedSize)
expect_true "EstimatedSize ($size) counts the files in KiB" \
    test $((size)) -ge $(($(du -sk --apparent-size "$stage" | cut -f1) - 10))
expect_true "Start-menu shortcut" test -s "$shortcut"
# The association, as the program writes it: the preset extension opens the installed program.
expect ".kpf" "$(reg_value 'HKCR\.kpf' "")" "$progid"
expect "file type" "$(reg_value "HKCR\\$progid" "")" "Korvaldine Preset File"
expect "DefaultIcon" "$(reg_value "HKCR\\$progid\\DefaultIcon" "")" "$exe,0"
expect "open command" "$(reg_value "HKCR\\$progid\\shell\\open\\command" "")" "\"$exe\" -o \"%1\""
# The same keys as the program's own association writes for the installed program.
association_test=$(VEXAV6_INSTALLED_PROGRAM="$exe" wine "$build/tests/presets_tests.exe" \
    --gtest_filter='InstalledAssociationTest.*' </dev/null 2>&1 | tr -d '\r')
if ! grep -q '^\[  PASSED  \] 1 test' <<<"$association_test" || grep -q 'SKIPPED' <<<"$association_test"; then
    problems+=("the program's association differs: $(grep -A3 'Failure' <<<"$association_test" | head -8 | tr '\n' ' ')")
fi
# The program starts from where it was installed.
if grep -q -- '-version' "$program_files/CLIHelp.txt"; then
    answer=$(cd "$work" && timeout 60 wine "$exe" -version </dev/null 2>/dev/null | tr -d '\r')
    expect "installed program's -version" "$answer" "$version"
else
    echo "        (this build has no -version yet: only the next scenario's start of the program is checked)"
fi
scenario_end "a silent install puts the program, its keys, shortcut and association in place"

# ---- the program runs while someone installs or uninstalls -----------------------------------------
inode=$(stat -c %i "$program_files/vexav6.exe")
wine "$exe" </dev/null >/dev/null 2>&1 &
program_pid=$!
sleep 3
expect_true "program runs" kill -0 "$program_pid"
expect "older installer while the program runs" "$(run_status "$older" /S)" 2
expect "installed program file" "$(stat -c %i "$program_files/vexav6.exe")" "$inode"
expect "version while the program runs" "$(reg_value "$uninstall_key" DisplayVersion)" "$version"
expect "files left from the swap" "$(leftovers)" ""
expect_true "the reason is logged" bash -c "$(declare -f setup_log); setup_log | grep -q 'is running'"
# The uninstaller run in place (_?=) reports its exit status.
expect "uninstall while the program runs" \
    "$(run_status_unquoted "$program_dir\\uninstall.exe" /S "_?=$program_dir")" 2
expect_true "program kept" test -f "$program_files/vexav6.exe"
expect_true "uninstaller kept" test -f "$program_files/uninstall.exe"
expect "association kept" "$(reg_value 'HKCR\.kpf' "")" "$progid"
expect "registration kept" "$(reg_value "$uninstall_key" DisplayVersion)" "$version"
kill -9 "$program_pid" 2>/dev/null
wait "$program_pid" 2>/dev/null
program_pid=""
scenario_end "a running program stops an install and an uninstall, and nothing changes"

# ---- a folder without write access --------------------------------------------------------------------
readonly_dir='Z:\sys\kernel\vexav6-test'
expect "install into /sys/kernel" "$(run_status "$setup" /S "/D=$readonly_dir")" 2
expect_true "the reason is logged" bash -c "$(declare -f setup_log); setup_log | grep -q 'cannot write\\|cannot create'"
expect "registration kept" "$(reg_value "$uninstall_key" InstallLocation)" "$program_dir"
expect "association kept" "$(reg_value "HKCR\\$progid\\shell\\open\\command" "")" "\"$exe\" -o \"%1\""
scenario_end "an install into a folder without write access fails and changes nothing"

# ---- silent uninstall ------------------------------------------------------------------------------
# The program run above keeps a damaged settings file aside and saves its settings and presets
# when it closes: the uninstaller must keep the user's files as they are now.
rm -rf "$work/before-uninstall" && mkdir -p "$work/before-uninstall"
user_files=()
for path in "$program_files"/*; do
    f=$(basename "$path")
    case " ${files[*]} uninstall.exe " in *" $f "*) continue ;; esac
    cp "$path" "$work/before-uninstall/$f"
    user_files+=("$f")
done
expect_true "Office.kpf among the user's files" test -f "$work/before-uninstall/Office.kpf"
# The uninstaller copies itself to the temporary folder and goes on from there: wait for it.
wine "$program_dir\\uninstall.exe" /S </dev/null >/dev/null 2>&1
for _ in $(seq 1 120); do
    [ -f "$program_files/uninstall.exe" ] || break
    sleep 0.5
done
for f in "${files[@]}" uninstall.exe; do
    expect_true "removed $f" test ! -e "$program_files/$f"
done
for f in "${user_files[@]}"; do
    expect_true "kept $f" cmp "$program_files/$f" "$work/before-uninstall/$f"
done
expect_true "uninstall key removed" bash -c "! wine reg query '$uninstall_key' >/dev/null 2>&1"
expect_true "file type removed" bash -c "! wine reg query 'HKCR\\$progid' >/dev/null 2>&1"
expect_true ".kpf removed" bash -c "! wine reg query 'HKCR\\.kpf' >/dev/null 2>&1"
expect_true "shortcut removed" test ! -e "$shortcut"
scenario_end "a silent uninstall removes the program and its keys and keeps the user's files"

# ---- the update check's command line, and an uninstall that takes the user's files too --------------
# The update check starts the installer with the program's folder, unquoted, as its command line:
portable="$work/portable copy"
mkdir -p "$portable"
cp "$work/Default.kpf" "$portable/"
expect "install into the folder named on the command line" \
    "$(run_status_unquoted "$setup" /S "$(windows_path "$portable")")" 0
expect_true "program placed there" cmp "$portable/vexav6.exe" "$stage/vexav6.exe"
expect "registered there" "$(reg_value "$uninstall_key" InstallLocation)" "$(windows_path "$portable")"
expect "open command" "$(reg_value "HKCR\\$progid\\shell\\open\\command" "")" \
    "\"$(windows_path "$portable")\\vexav6.exe\" -o \"%1\""
expect "uninstall with /REMOVEUSERFILES" \
    "$(run_status_unquoted "$(windows_path "$portable")\\uninstall.exe" /S /REMOVEUSERFILES \
        "_?=$(windows_path "$portable")")" 0
expect "left in the folder" "$(ls -A "$portable" 2>/dev/null)" "uninstall.exe"
scenario_end "the update check's command line installs into the program's folder; /REMOVEUSERFILES"

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
