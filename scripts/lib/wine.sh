# shellcheck shell=bash
# Wine session helpers for running the x86_64-w64-mingw32 test programs on Linux.
#
#   source scripts/lib/wine.sh
#   wine_session_start            # template copy + Xvfb + persistent wineserver
#   trap wine_session_stop EXIT
#   wine_debug_capture_start build/dbwin.log   # optional: OutputDebugString lines
#   ctest ...                      # CMAKE_CROSSCOMPILING_EMULATOR=scripts/wine-run
#   wine_screenshot out.png
#   wine_debug_capture_stop
#   wine_session_stop
#
# The prefix runs with LC_ALL=zh_CN.UTF-8, so GetACP()/GetOEMCP() are 936 like
# the product's target machines. That much works without the host locale, but
# Chinese file names need it generated (locales package, zh_CN.UTF-8 in
# /etc/locale.gen, locale-gen).
#
# Settings: VYRN_WINE_CACHE (template folder, default /var/cache/vyrn),
# VYRN_WINE_SESSION_ROOT (default /tmp), VYRN_WINE_SCREEN (Xvfb screen),
# VYRN_WINE_SERVER_PERSIST (wineserver -p seconds; empty = until stopped),
# VYRN_DBWIN_READER (path of dbwin_reader.exe).

: "${VYRN_WINE:=/usr/lib/wine/wine64}"
if [ -z "${VYRN_WINESERVER:-}" ]; then
    # Debian's /usr/lib/wine/wineserver wrapper forces -p0; call the binary.
    if [ -x /usr/lib/wine/wineserver64 ]; then
        VYRN_WINESERVER=/usr/lib/wine/wineserver64
    else
        VYRN_WINESERVER=/usr/lib/wine/wineserver
    fi
fi
# Bump when the template contents change so every machine rebuilds it.
VYRN_WINE_TEMPLATE_REV=1
VYRN_WINE_LOCALE=zh_CN.UTF-8
VYRN_WINE_SCREEN=${VYRN_WINE_SCREEN:-1280x800x24}
# Builtin DLLs we never want: no Mono/Gecko download prompts, no desktop menu entries.
VYRN_WINE_DLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
# Variables a session sets; their previous values come back on stop.
_VYRN_WINE_ENV_VARS="WINEPREFIX DISPLAY LC_ALL LANGUAGE TMPDIR WINEDEBUG WINEDLLOVERRIDES WINE WINESERVER"

_wine_log() { printf 'wine.sh: %s\n' "$*" >&2; }

_wine_cache_dir() {
    if [ -n "${VYRN_WINE_CACHE:-}" ]; then
        printf '%s\n' "$VYRN_WINE_CACHE"
    elif mkdir -p /var/cache/vyrn 2>/dev/null && [ -w /var/cache/vyrn ]; then
        printf '%s\n' /var/cache/vyrn
    else
        printf '%s\n' "${XDG_CACHE_HOME:-$HOME/.cache}/vyrn"
    fi
}

_wine_version_tag() {
    local v
    v=$("$VYRN_WINE" --version 2>/dev/null) || return 1
    # "wine-8.0 (Debian 8.0~repack-4)" -> "wine-8.0-Debian-8.0-repack-4"
    v=$(printf '%s' "$v" | tr -c 'A-Za-z0-9._-' '-' | tr -s '-')
    printf '%s\n' "${v%-}"
}

# The registry part of the template, as a UTF-16 .reg file (the Chinese font
# names do not survive an ANSI one).
_wine_template_reg() {
    local f='WenQuanYi Micro Hei'
    local link='wqy-microhei.ttc,WenQuanYi Micro Hei'
    cat <<EOF
Windows Registry Editor Version 5.00

; Every window hide/destroy waits ~2 s for the WM otherwise.
[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"
"Decorated"="Y"

; A crash must end the program, not open a dialog nobody will close.
[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]
"Audio"=""

[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]
"mscoree"=""
"mshtml"=""
"winemenubuilder.exe"=""

; Fonts a Chinese Windows has, served by WenQuanYi Micro Hei.
[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"SimSun"="$f"
"NSimSun"="$f"
"宋体"="$f"
"新宋体"="$f"
"SimHei"="$f"
"黑体"="$f"
"Microsoft YaHei"="$f"
"Microsoft YaHei UI"="$f"
"微软雅黑"="$f"
"KaiTi"="$f"
"楷体"="$f"
"FangSong"="$f"
"仿宋"="$f"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]
"WenQuanYi Micro Hei & WenQuanYi Micro Hei Mono (TrueType)"="wqy-microhei.ttc"

; Latin UI fonts fall back to it for CJK glyphs.
[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
"Tahoma"=hex(7):$(_wine_reg_multi_sz "$link")
"MS Shell Dlg"=hex(7):$(_wine_reg_multi_sz "$link")
"MS Shell Dlg 2"=hex(7):$(_wine_reg_multi_sz "$link")
"Microsoft Sans Serif"=hex(7):$(_wine_reg_multi_sz "$link")
"Segoe UI"=hex(7):$(_wine_reg_multi_sz "$link")
"Arial"=hex(7):$(_wine_reg_multi_sz "$link")
"Lucida Sans Unicode"=hex(7):$(_wine_reg_multi_sz "$link")
EOF
}

# One-string REG_MULTI_SZ as the comma-separated UTF-16LE hex regedit expects.
_wine_reg_multi_sz() {
    { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE; printf '\0\0\0\0'; } |
        od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /,/g'
}

# wine_template: make sure the per-machine template prefix exists; print its path.
wine_template() {
    local cache tag dir tmp lockfd rc
    cache=$(_wine_cache_dir)
    tag=$(_wine_version_tag) || { _wine_log "cannot run $VYRN_WINE"; return 1; }
    dir="$cache/wine-template-$tag-r$VYRN_WINE_TEMPLATE_REV"
    if [ -f "$dir/ready" ]; then
        printf '%s\n' "$dir"
        return 0
    fi
    mkdir -p "$cache" || return 1
    # Parallel first runs (ctest -j) must not each build one.
    exec {lockfd}>"$cache/.wine-template.lock" || return 1
    flock "$lockfd"
    if [ -f "$dir/ready" ]; then
        exec {lockfd}>&-
        printf '%s\n' "$dir"
        return 0
    fi
    tmp=$(mktemp -d "$cache/.wine-template.XXXXXX") || { exec {lockfd}>&-; return 1; }
    _wine_log "building Wine template prefix in $dir"
    ( _wine_build_template "$tmp" ) >"$tmp/build.log" 2>&1
    rc=$?
    if [ $rc -eq 0 ]; then
        chmod 755 "$tmp"
        rm -rf "$dir"
        mv -T "$tmp" "$dir" || rc=1
    fi
    if [ $rc -ne 0 ]; then
        _wine_log "template build failed (rc=$rc), log:"
        cat "$tmp/build.log" >&2
        rm -rf "$tmp"
    fi
    exec {lockfd}>&-
    [ $rc -eq 0 ] && printf '%s\n' "$dir"
    return $rc
}

# Runs in a subshell with its own wineserver; $1 is the temp template dir.
_wine_build_template() {
    set -e
    local t=$1 fonts wqy
    mkdir -p "$t/tmp"
    export WINEPREFIX="$t/prefix" TMPDIR="$t/tmp" WINEDEBUG=-all LC_ALL=$VYRN_WINE_LOCALE
    export WINEDLLOVERRIDES=$VYRN_WINE_DLLOVERRIDES
    unset DISPLAY WAYLAND_DISPLAY LANGUAGE
    "$VYRN_WINE" wineboot --init
    "$VYRN_WINESERVER" -w

    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp -f /usr/share/wine/fonts/* "$fonts/"
    wqy=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
    if [ ! -f "$wqy" ]; then
        echo "missing $wqy (package fonts-wqy-microhei)"
        return 1
    fi
    # A copy, not a link: the prefix must not depend on where the host keeps it.
    cp -f "$wqy" "$fonts/"

    { printf '\xff\xfe'; _wine_template_reg | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$t/template.reg"
    "$VYRN_WINE" regedit /S "Z:$(printf '%s' "$t/template.reg" | tr / '\\')"
    "$VYRN_WINESERVER" -w
    grep -q '"Managed"="N"' "$WINEPREFIX/user.reg"

    # Keep the test programs out of the host's home folders.
    local d
    for d in "$WINEPREFIX"/drive_c/users/*/*; do
        if [ -L "$d" ]; then rm -f "$d"; mkdir -p "$d"; fi
    done
    # Debian's wine records its server socket dir (under TMPDIR) here.
    rm -f "$WINEPREFIX/wineserver"
    rm -rf "$t/tmp"
    date -u +%FT%TZ >"$t/ready"
}

# Without the host locale Wine still reports code page 936, but cannot map
# Chinese file names to Unix ones, and every bash started under the session
# complains about LC_ALL.
_wine_check_locale() {
    if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
        _wine_log "host locale $VYRN_WINE_LOCALE is missing; Chinese file names will fail. Generate it:"
        _wine_log "  sed -i 's/^# *\\(zh_CN\\.UTF-8 UTF-8\\)/\\1/' /etc/locale.gen && locale-gen"
    fi
}

# Sessions whose owner was killed outright (SIGKILL from a test timeout)
# leave their folder behind; their Xvfb is gone by then.
_wine_sweep_sessions() {
    local d pid
    for d in "${VYRN_WINE_SESSION_ROOT:-/tmp}"/vyrn-wine.*; do
        [ -f "$d/xvfb.pid" ] || continue
        pid=$(cat "$d/xvfb.pid" 2>/dev/null)
        [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && continue
        # Still starting up or shutting down elsewhere: leave recent ones.
        [ -n "$(find "$d/xvfb.pid" -mmin +2 2>/dev/null)" ] || continue
        WINEPREFIX="$d/prefix" TMPDIR="$d/tmp" "$VYRN_WINESERVER" -k 2>/dev/null
        rm -rf "$d"
    done
}

_wine_desktop_up() {
    local p
    for p in $(pgrep -f '^C:.windows.system32.explorer.exe /desktop'); do
        grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$p/environ" 2>/dev/null && return 0
    done
    return 1
}

wine_session_active() {
    [ -n "${VYRN_WINE_SESSION:-}" ] && [ -d "$VYRN_WINE_SESSION/prefix" ] &&
        [ -n "${VYRN_WINE_XVFB_PID:-}" ] && kill -0 "$VYRN_WINE_XVFB_PID" 2>/dev/null
}

# wine_session_start: fresh prefix + Xvfb + persistent wineserver, exported
# into this shell. A no-op when a session is already active in the environment
# (children of a session shell reuse it).
wine_session_start() {
    if wine_session_active; then
        return 0
    fi
    local template sess disp xpid i v
    template=$(wine_template) || return 1
    _wine_check_locale
    _wine_sweep_sessions
    sess=$(mktemp -d "${VYRN_WINE_SESSION_ROOT:-/tmp}/vyrn-wine.XXXXXX") || return 1
    mkdir -p "$sess/tmp"
    cp -a --reflink=auto "$template/prefix" "$sess/prefix" || { rm -rf "$sess"; return 1; }

    # -displayfd picks a free display itself (lock file + socket), so parallel
    # sessions cannot race for the same number.
    # pdeathsig: a shell killed outright does not leave Xvfb running.
    local pdeath=()
    command -v setpriv >/dev/null && pdeath=(setpriv --pdeathsig TERM --)
    "${pdeath[@]}" Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "$VYRN_WINE_SCREEN" \
        3>"$sess/display" </dev/null >"$sess/xvfb.log" 2>&1 &
    xpid=$!
    echo "$xpid" >"$sess/xvfb.pid"
    for ((i = 0; i < 200; i++)); do
        disp=$(head -n1 "$sess/display" 2>/dev/null)
        [ -n "$disp" ] && break
        kill -0 "$xpid" 2>/dev/null || break
        sleep 0.05
    done
    if [ -z "$disp" ]; then
        _wine_log "Xvfb did not start:"
        cat "$sess/xvfb.log" >&2
        kill "$xpid" 2>/dev/null || true
        rm -rf "$sess"
        return 1
    fi

    for v in $_VYRN_WINE_ENV_VARS; do
        if [ -n "${!v+x}" ]; then
            export "VYRN_WINE_SAVED_$v=${!v}"
        else
            unset "VYRN_WINE_SAVED_$v"
        fi
    done
    export VYRN_WINE_SESSION="$sess" VYRN_WINE_XVFB_PID="$xpid" VYRN_WINE_SESSION_OWNER="$BASHPID"
    export WINEPREFIX="$sess/prefix" DISPLAY=":$disp" LC_ALL=$VYRN_WINE_LOCALE TMPDIR="$sess/tmp"
    export WINEDEBUG=-all WINEDLLOVERRIDES=$VYRN_WINE_DLLOVERRIDES
    export WINE=$VYRN_WINE WINESERVER=$VYRN_WINESERVER
    unset LANGUAGE

    # A persistent server keeps explorer/services up between test programs.
    if ! "$VYRN_WINESERVER" "-p${VYRN_WINE_SERVER_PERSIST:-}" </dev/null >>"$sess/wine.log" 2>&1; then
        _wine_log "wineserver did not start"
        wine_session_stop
        return 1
    fi
    # Bring up services and the desktop (explorer.exe) now, with our own
    # stdio: Wine hands the desktop process the stderr of whichever program
    # first needs it, and a test's pipe held open that way hangs ctest.
    for _ in 1 2 3; do
        "$VYRN_WINE" rundll32.exe user32.dll,GetDesktopWindow </dev/null >>"$sess/wine.log" 2>&1
        # On a busy machine explorer can miss Wine's start-up wait; then the
        # next program would start its own with that program's stderr.
        for ((i = 0; i < 100; i++)); do
            _wine_desktop_up && return 0
            sleep 0.1
        done
    done
    _wine_log "the Wine desktop (explorer.exe) did not come up; see $sess/wine.log"
    return 0
}

# wine_session_stop: end the session this shell started. Safe from `trap ... EXIT`
# and when nothing is running; a shell that only inherited the session leaves it alone.
wine_session_stop() {
    [ -n "${VYRN_WINE_SESSION:-}" ] || return 0
    [ "${VYRN_WINE_SESSION_OWNER:-}" = "$BASHPID" ] || return 0
    local sess=$VYRN_WINE_SESSION v saved i
    wine_debug_capture_stop
    if [ -d "$sess/prefix" ]; then
        WINEPREFIX="$sess/prefix" TMPDIR="$sess/tmp" "$VYRN_WINESERVER" -k 2>/dev/null
        WINEPREFIX="$sess/prefix" TMPDIR="$sess/tmp" timeout 10 "$VYRN_WINESERVER" -w 2>/dev/null
    fi
    if [ -n "${VYRN_WINE_XVFB_PID:-}" ]; then
        kill "$VYRN_WINE_XVFB_PID" 2>/dev/null || true
        for ((i = 0; i < 100; i++)); do
            kill -0 "$VYRN_WINE_XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        kill -9 "$VYRN_WINE_XVFB_PID" 2>/dev/null || true
        wait "$VYRN_WINE_XVFB_PID" 2>/dev/null || true
    fi
    rm -rf "$sess"
    for v in $_VYRN_WINE_ENV_VARS; do
        saved="VYRN_WINE_SAVED_$v"
        if [ -n "${!saved+x}" ]; then
            export "$v=${!saved}"
            unset "$saved"
        else
            unset "$v"
        fi
    done
    unset VYRN_WINE_SESSION VYRN_WINE_XVFB_PID VYRN_WINE_SESSION_OWNER
    return 0
}

# Unix path -> the Z: path Wine programs see.
wine_path() {
    local p=$1
    case $p in /*) ;; *) p="$PWD/$p" ;; esac
    printf 'Z:%s\n' "${p//\//\\}"
}

# wine_debug_capture_start FILE: run dbwin_reader.exe in the session; every
# OutputDebugString line of every program goes to FILE (appended, raw bytes).
# The reader comes from $VYRN_DBWIN_READER or the usual build folders.
wine_debug_capture_start() {
    local out=$1 reader i
    [ -n "$out" ] || { _wine_log "usage: wine_debug_capture_start FILE"; return 2; }
    wine_session_active || { _wine_log "no Wine session"; return 1; }
    reader=${VYRN_DBWIN_READER:-}
    if [ -z "$reader" ]; then
        for i in build/windows-x64/tests/tools build/tests/tools; do
            [ -f "$i/dbwin_reader.exe" ] && { reader="$i/dbwin_reader.exe"; break; }
        done
    fi
    [ -f "$reader" ] || { _wine_log "dbwin_reader.exe not found; set VYRN_DBWIN_READER"; return 1; }
    wine_debug_capture_stop
    case $out in /*) ;; *) out="$PWD/$out" ;; esac
    : >>"$out"
    rm -f "$VYRN_WINE_SESSION/dbwin.ready"
    "$VYRN_WINE" "$reader" "$(wine_path "$out")" --ready "$(wine_path "$VYRN_WINE_SESSION/dbwin.ready")" \
        </dev/null >"$VYRN_WINE_SESSION/dbwin.log" 2>&1 &
    export VYRN_WINE_DBWIN_PID=$! VYRN_WINE_DBWIN_READER=$reader
    for ((i = 0; i < 200; i++)); do
        [ -f "$VYRN_WINE_SESSION/dbwin.ready" ] && return 0
        kill -0 "$VYRN_WINE_DBWIN_PID" 2>/dev/null || break
        sleep 0.05
    done
    _wine_log "dbwin_reader did not come up:"
    cat "$VYRN_WINE_SESSION/dbwin.log" >&2
    wine_debug_capture_stop
    return 1
}

wine_debug_capture_stop() {
    [ -n "${VYRN_WINE_DBWIN_PID:-}" ] || return 0
    local i
    "$VYRN_WINE" "$VYRN_WINE_DBWIN_READER" --stop </dev/null >/dev/null 2>&1
    for ((i = 0; i < 100; i++)); do
        kill -0 "$VYRN_WINE_DBWIN_PID" 2>/dev/null || break
        sleep 0.05
    done
    kill "$VYRN_WINE_DBWIN_PID" 2>/dev/null || true
    wait "$VYRN_WINE_DBWIN_PID" 2>/dev/null || true
    unset VYRN_WINE_DBWIN_PID VYRN_WINE_DBWIN_READER
    return 0
}

# wine_screenshot FILE.png: the whole virtual screen of the session.
wine_screenshot() {
    [ -n "${1:-}" ] || { _wine_log "usage: wine_screenshot FILE.png"; return 2; }
    wine_session_active || { _wine_log "no Wine session"; return 1; }
    import -display "$DISPLAY" -window root "$1"
}

# wine_wait_window NAME [SECONDS]: wait until a visible window whose title
# matches NAME (a regex) exists; prints its X window id.
wine_wait_window() {
    local name=$1 secs=${2:-10}
    timeout "$secs" xdotool search --sync --onlyvisible --name "$name" 2>/dev/null | head -n1
    [ "${PIPESTATUS[0]}" -eq 0 ]
}
