# The installer and its uninstaller: a small download; refused beside a
# running program, whoever runs it; a Start-menu shortcut and an Apps &
# features entry; and, while the program runs, nothing changed by either.

# Set by installer() for the helpers below.
SETUP="" INSTALLED="" MENUS=() ENTRY="" HIVE=""
UNINSTALL_KEY="Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$ZEL_APP_TITLE"
# "_?=" takes the rest of the command line, unquoted, as the folder to
# uninstall from, and makes the uninstaller run in place and wait; Wine
# quotes an argument with a space, so the folder goes as three words.
IN_PLACE=('_?=C:\Program' 'Files\Zel' 'Orvalis')

# Whichever account or session the installer runs in, it sees a running
# program by Global\<mutex>, even one it may not open (an elevated one, or
# another account's), and its own account's by Local\<mutex>-<SID>. Wine has
# one account and one session: a stand-in holds each name, one of them owned
# by SYSTEM and open to no one.
refused_beside_holders() {
    local mutex sid held name sddl holder code
    mutex=$(fact WindowsMutex)
    sid=$(wine whoami /user 2>/dev/null | tr -d '\r' | grep -o 'S-1-5-[0-9-]*' | head -n1)
    [ -n "$sid" ] || fail "whoami /user gave no SID"
    for held in "Global\\$mutex" "Global\\$mutex O:SYD:" "Local\\$mutex-$sid"; do
        read -r name sddl <<<"$held"
        wine "$tests/bin/hold_mutex.exe" "$name" ${sddl:+"$sddl"} >"$E2E_TMP/hold.out" 2>&1 &
        holder=$!
        wait_until 10 grep -q held "$E2E_TMP/hold.out" || fail "nothing held $held: $(cat "$E2E_TMP/hold.out")"
        code=0
        wine "$SETUP" /S >>"$E2E_TMP/setup.log" 2>&1 || code=$?
        kill "$holder"
        wait "$holder" 2>/dev/null || true
        [ "$code" = 2 ] || fail "the silent installer beside a holder of $held ended with $code, not 2"
    done
    [ ! -e "$INSTALLED" ] || fail "an installer that ended with 2 left $INSTALLED"
}

# registered NAME VALUE: the Apps & features entry gives NAME this value.
registered() { printf '%s\n' "$ENTRY" | grep -qE "^ +$1 +REG_SZ +$2\$"; }

# installs: the deployment folder, a Start-menu shortcut, and a complete
# Apps & features entry.
installs() {
    wine "$SETUP" /S >>"$E2E_TMP/setup.log" 2>&1 || fail "the silent installation failed"
    [ -f "$INSTALLED/Uninstall.exe" ] || fail "nothing installed in C:\\Program Files\\$ZEL_APP_TITLE"
    [ "$(cd "$build/deploy" && find . | sort)" = "$(cd "$INSTALLED" && find . ! -name Uninstall.exe | sort)" ] \
        || fail "the installed files differ from the deployment folder"
    SHORTCUT=$(find "${MENUS[@]}" -name "$ZEL_APP_TITLE.lnk" | head -n1)
    [ -n "$SHORTCUT" ] || fail "no Start-menu shortcut"
    for HIVE in HKLM HKCU; do
        ENTRY=$(wine reg query "$HIVE\\$UNINSTALL_KEY" 2>/dev/null | tr -d '\r') && break
    done
    [ -n "$ENTRY" ] || fail "no Apps & features entry"
    registered DisplayName "$ZEL_APP_TITLE" && registered DisplayVersion "$version" \
        && registered Publisher Velmora \
        && registered DisplayIcon 'C:\\Program Files\\Zel Orvalis\\zel-orvalis\.exe' \
        && registered UninstallString '"C:\\Program Files\\Zel Orvalis\\Uninstall\.exe"' \
        || fail "the Apps & features entry is incomplete:
$ENTRY"
}

# installed: what installing left, to compare before and after.
installed() {
    (cd "$INSTALLED" && find . -printf '%p %s %T@\n' | sort)
    wine reg query "$HIVE\\$UNINSTALL_KEY" 2>/dev/null | tr -d '\r'
    find "${MENUS[@]}" -name "*$ZEL_APP_TITLE*"
}

uninstaller_copy_ended() { ! pgrep -f 'nsu[^ ]*\.tmp\\Un\.exe' >/dev/null; }

# uninstall_plainly: started plainly, the uninstaller hands over to a copy of
# itself in %TEMP% (~nsu*.tmp\Un.exe) and returns 0 at once; the copy ends.
uninstall_plainly() {
    wine "$INSTALLED/Uninstall.exe" /S >>"$E2E_TMP/setup.log" 2>&1 || fail "the uninstaller did not start"
    wait_until 30 uninstaller_copy_ended || fail "the uninstaller's copy of itself did not end"
}

# beside_running WINDOW: while the program runs, the installer and the
# uninstaller change nothing. Silent, they end with exit code 2; with a
# user, they ask.
beside_running() {
    local before code asking box
    before=$(installed)
    code=0
    wine "$SETUP" /S >>"$E2E_TMP/setup.log" 2>&1 || code=$?
    [ "$code" = 2 ] || fail "the silent installer over the running program ended with $code, not 2"
    code=0
    wine "$INSTALLED/Uninstall.exe" /S "${IN_PLACE[@]}" >>"$E2E_TMP/setup.log" 2>&1 || code=$?
    [ "$code" = 2 ] || fail "the silent uninstaller beside the running program ended with $code, not 2"
    uninstall_plainly
    wine "$INSTALLED/Uninstall.exe" "${IN_PLACE[@]}" >>"$E2E_TMP/setup.log" 2>&1 &
    asking=$!
    # Wine's own message boxes copy no text: the question is seen by its title.
    box=$(find_window "$ZEL_APP_TITLE Uninstall") || fail "the uninstaller asked nothing while the program runs"
    focus "$box"
    xdotool key Escape
    code=0
    wait "$asking" || code=$?
    [ "$code" = 2 ] || fail "the uninstaller, cancelled, ended with $code, not 2"
    [ "$(installed)" = "$before" ] || fail "installing or uninstalling beside the running program changed:
$(diff <(printf '%s\n' "$before") <(installed))"
}

installer() {
    local setup=("$build"/package/zel-orvalis-*-windows-x64.exe) windows_user win pid hive
    [ "${#setup[@]}" = 1 ] && [ -f "${setup[0]}" ] || fail "not one installer in $build/package"
    SETUP=${setup[0]}
    # A download that stays small.
    [ "$(stat -c %s "$SETUP")" -le $((12 * 1024 * 1024)) ] \
        || fail "the installer is $(du -h "$SETUP" | cut -f1), over 12 MiB"
    INSTALLED="$WINEPREFIX/drive_c/Program Files/$ZEL_APP_TITLE"
    windows_user=$(wine cmd /c 'echo %USERNAME%' 2>/dev/null | tr -d '\r')
    MENUS=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
        "$WINEPREFIX/drive_c/users/$windows_user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs")
    refused_beside_holders
    installs

    # The shortcut starts the installed program.
    wine start "$(winepath -w "$SHORTCUT")" >>"$E2E_TMP/app.log" 2>&1
    win=$(find_window "$ZEL_TITLE") || fail "the Start-menu shortcut showed no main window"
    pid=$(xdotool getwindowpid "$win")
    tr '\0' '\n' <"/proc/$pid/cmdline" | grep -qF 'C:\Program Files\Zel Orvalis\zel-orvalis.exe' \
        || fail "the shortcut started $(tr '\0' ' ' <"/proc/$pid/cmdline")"
    APP_PID=$pid
    beside_running "$win"

    close_window "$win"
    find_support "$win" || fail "no support window in the installed program"
    focus "$SUPPORT"
    xdotool key alt+x
    wait_until 10 app_ended || fail "the installed program did not end"

    uninstall_plainly
    [ ! -e "$INSTALLED" ] || fail "the uninstaller left: $(cd "$INSTALLED" && find . | tr '\n' ' ')"
    [ -z "$(find "${MENUS[@]}" -iname "*$ZEL_APP_TITLE*")" ] || fail "the Start-menu entry is still there"
    for hive in HKLM HKCU; do
        ! wine reg query "$hive\\$UNINSTALL_KEY" >/dev/null 2>&1 || fail "the Apps & features entry is still there"
    done
    # The user's own settings stay; what the installer wrote goes.
    ! wine reg query 'HKLM\Software\Velmora' >/dev/null 2>&1 || fail "HKLM\Software\Velmora is still there"
    pass "installer and uninstaller, which leave a running program alone"
}
