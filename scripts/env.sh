# shellcheck shell=bash
# Shared set-up for the project's scripts. Source it, then call what you need:
#
#   source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
#   plivex_ensure_all                  # packages, locale, Wine prefix, fault drives
#   plivex_wineserver_start            # before a series of Wine runs
#   ...
#   plivex_wineserver_stop
#
# Sourcing only sets variables; nothing on the machine changes until a
# function is called. Every plivex_ensure_* is idempotent and cheap once done,
# and reports on stderr, prefixed "[setup] ", only when it actually does work.
# Functions return non-zero on failure and never exit the caller's shell.

REPO=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd -P)
BUILD=$REPO/build

# --- Wine environment (cmake/wine-run sources this file, so ctest gets the same) ---

# PLIVEX_WINEPREFIX may point everything at another prefix. A WINEPREFIX from
# the caller's environment is ignored on purpose: a ~/.wine exported by a
# login shell must never leak into the tests.
WINEPREFIX=${PLIVEX_WINEPREFIX:-$BUILD/wine/prefix}
case $WINEPREFIX in
    /*) ;;
    *) WINEPREFIX=$PWD/$WINEPREFIX ;;   # Wine needs an absolute path
esac
WINEPREFIX=${WINEPREFIX%/}
export WINEPREFIX
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono/Gecko install prompts, no menu entries or file associations on the host.
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
# Wine derives the code pages (932) and the LCID (0x411) from the Unix locale
# of each process. Any LC_* or LANGUAGE would override LANG for some category,
# so they go. Bash warns here while the locale is not generated yet
# (plivex_ensure_locale does that); the warning is noise, hence 2>/dev/null.
export LANG=ja_JP.UTF-8 2>/dev/null
unset LC_ALL LC_CTYPE LC_NUMERIC LC_TIME LC_COLLATE LC_MONETARY LC_MESSAGES \
      LC_PAPER LC_NAME LC_ADDRESS LC_TELEPHONE LC_MEASUREMENT LC_IDENTIFICATION \
      LANGUAGE 2>/dev/null

# Bump whenever _plivex_prefix_settings or the set-up steps change: an existing
# prefix whose stamp holds another value is set up again in place.
PLIVEX_PREFIX_VERSION=2
PLIVEX_PREFIX_STAMP=$WINEPREFIX/.plivex-ready

PLIVEX_MNT=$BUILD/wine/mnt
PLIVEX_MNT_SMALL=$PLIVEX_MNT/small      # drive T:, 1536 KiB, for disk-full tests
PLIVEX_MNT_RO=$PLIVEX_MNT/ro            # drive R:, read-only, holds readonly.txt
PLIVEX_SMALL_KIB=1536

PLIVEX_PACKAGES=(
    cmake ninja-build g++ googletest g++-mingw-w64-x86-64
    wine wine64 fonts-wine fonts-ipafont-gothic locales
    xvfb xdotool imagemagick
    clang libclang-rt-14-dev libbenchmark-dev time
    libssl-dev python3-cryptography
)

_plivex_say() { printf '[setup] %s\n' "$*" >&2; }
_plivex_err() { printf '[setup] error: %s\n' "$*" >&2; }

# Runs a command as root: directly when we are root, else through sudo.
_plivex_as_root() {
    if ((EUID == 0)); then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo -- "$@"
    else
        _plivex_err "need root for: $* (not root, and sudo is not installed)"
        return 1
    fi
}

# --- packages ---

# Prints the names among "$@" that dpkg does not list as installed.
_plivex_missing_packages() {
    local -A have=()
    local name abbrev p
    # One dpkg-query for the whole list; unknown names only complain on stderr.
    while read -r name abbrev; do
        [[ $abbrev == ii ]] && have[$name]=1
    done < <(LC_ALL=C dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "$@" 2>/dev/null)
    for p in "$@"; do
        [[ -n ${have[$p]:-} ]] || printf '%s\n' "$p"
    done
}

# plivex_ensure_packages [PKG...]   (default: PLIVEX_PACKAGES)
plivex_ensure_packages() {
    local -a want=("$@") missing=()
    ((${#want[@]})) || want=("${PLIVEX_PACKAGES[@]}")
    mapfile -t missing < <(_plivex_missing_packages "${want[@]}")
    ((${#missing[@]})) || return 0

    _plivex_say "installing Debian packages: ${missing[*]}"
    if ! _plivex_as_root env LC_ALL=C apt-get update -q >&2; then
        _plivex_err "apt-get update failed; install by hand: apt-get install --no-install-recommends ${missing[*]}"
        return 1
    fi
    if ! _plivex_as_root env LC_ALL=C DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -q --no-install-recommends "${missing[@]}" >&2; then
        _plivex_err "could not install: ${missing[*]} (run as root, or install them by hand)"
        return 1
    fi
    # apt-get can succeed without installing a name it resolved to something else.
    mapfile -t missing < <(_plivex_missing_packages "${missing[@]}")
    if ((${#missing[@]})); then
        _plivex_err "still not installed after apt-get: ${missing[*]}"
        return 1
    fi
}

# --- locale ---

_plivex_have_ja_locale() {
    local all
    all=$(LC_ALL=C locale -a 2>/dev/null) || return 1
    all=${all,,}
    [[ $'\n'$all$'\n' == *$'\n'ja_jp.utf8$'\n'* || $'\n'$all$'\n' == *$'\n'ja_jp.utf-8$'\n'* ]]
}

# Without the compiled ja_JP.UTF-8 locale Wine silently falls back to code
# page 1252 and Japanese text turns into boxes.
plivex_ensure_locale() {
    _plivex_have_ja_locale && return 0
    _plivex_say "generating locale ja_JP.UTF-8"
    if [[ ! -e /usr/share/i18n/locales/ja_JP ]]; then
        _plivex_err "locale sources missing: install the 'locales' package (plivex_ensure_packages)"
        return 1
    fi
    if ! _plivex_as_root env LC_ALL=C localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 >&2; then
        _plivex_err "localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 failed"
        return 1
    fi
    if ! _plivex_have_ja_locale; then
        _plivex_err "localedef ran, but 'locale -a' does not list ja_JP.utf8"
        return 1
    fi
    # Let this shell itself pick up the locale that now exists.
    export LANG=ja_JP.UTF-8
}

# --- Wine prefix ---

# Registry settings imported into every prefix. reg import takes non-ASCII
# names only from a UTF-16LE file with a byte-order mark, so this text is
# converted before the import.
_plivex_prefix_settings() {
    cat <<'EOF'
Windows Registry Editor Version 5.00

; Japanese UI fonts: without these Wine falls back to a face without kana/kanji.
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS UI Gothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"MS PGothic"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"ＭＳ Ｐゴシック"="IPAPGothic"

; A crash must end the process with an exit code, not wait on a dialog.
[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

; Under Xvfb without a window manager, managed windows are slow and frameless.
[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

; Headless by default; plivex_set_graphics switches to x11 for screenshots.
[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="null"
EOF
}

plivex_prefix_ready() {
    local stamp=
    [[ -r $PLIVEX_PREFIX_STAMP ]] && read -r stamp <"$PLIVEX_PREFIX_STAMP"
    [[ $stamp == "$PLIVEX_PREFIX_VERSION" ]]
}

# Reports a failed set-up step with the end of the Wine log.
_plivex_fail() {
    _plivex_err "$1 (log: $WINEPREFIX.setup.log)"
    tail -n 20 -- "$WINEPREFIX.setup.log" >&2
    return 1
}

# The set-up proper; runs under the lock taken by plivex_ensure_prefix.
# Wine's own chatter goes to a log, shown only when a step fails.
_plivex_prefix_setup() {
    local log=$WINEPREFIX.setup.log reg winreg
    local fresh=1
    [[ -e $WINEPREFIX/system.reg ]] && fresh=0
    if ((fresh)); then
        _plivex_say "creating Wine prefix $WINEPREFIX (about 15 s)"
    else
        _plivex_say "updating Wine prefix $WINEPREFIX to settings version $PLIVEX_PREFIX_VERSION"
    fi
    : >"$log"

    rm -f -- "$PLIVEX_PREFIX_STAMP"
    # A persistent server would make 'wineserver -w' wait forever, and
    # programs still running must not see a half-made prefix.
    wineserver -k </dev/null >>"$log" 2>&1
    mkdir -p -- "$WINEPREFIX" || { _plivex_fail "cannot create $WINEPREFIX"; return 1; }

    wineboot -i </dev/null >>"$log" 2>&1 || { _plivex_fail "wineboot -i failed"; return 1; }
    wineserver -w </dev/null >>"$log" 2>&1

    # Wine 8 does not read its fonts from /usr/share; Tahoma and Marlett
    # (caption buttons) must be in the prefix.
    if ! mkdir -p -- "$WINEPREFIX/drive_c/windows/Fonts" ||
       ! cp -f -- /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"; then
        _plivex_fail "cannot copy /usr/share/wine/fonts into the prefix"
        return 1
    fi

    reg=$(mktemp "${TMPDIR:-/tmp}/plivex-settings.XXXXXX.reg") || { _plivex_fail "mktemp failed"; return 1; }
    if ! { printf '\xff\xfe'
           _plivex_prefix_settings | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$reg"; then
        rm -f -- "$reg"
        _plivex_fail "cannot write the registry file"
        return 1
    fi
    # Z: is the Unix root in every prefix.
    winreg="Z:${reg//\//\\}"
    # Once in a CI run the first import into a new prefix left nothing and
    # said nothing (not seen again in 17 set-ups here, under load or not). reg.exe,
    # unlike regedit /S, tells a failed import by its exit code; the check
    # below reads back the value last in the file and the one whose name is
    # not ASCII; an import that did not take is made once more, and said so.
    local try
    for try in 1 2; do
        echo "[import $try]" >>"$log"
        wine reg import "$winreg" </dev/null >>"$log" 2>&1
        echo "[reg import exit code $?]" >>"$log"
        if wine reg query 'HKCU\Software\Wine\Drivers' /v Graphics </dev/null >>"$log" 2>&1 &&
           wine reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
                /v 'ＭＳ Ｐゴシック' </dev/null >>"$log" 2>&1; then
            ((try == 1)) || _plivex_say "registry settings imported at the second try (log: $log)"
            break
        fi
        if ((try == 2)); then
            rm -f -- "$reg"
            _plivex_fail "registry settings were not imported"
            return 1
        fi
        wineserver -w </dev/null >>"$log" 2>&1
    done
    rm -f -- "$reg"
    wineserver -w </dev/null >>"$log" 2>&1

    # Written last: its presence means every step above completed.
    printf '%s\n' "$PLIVEX_PREFIX_VERSION" >"$PLIVEX_PREFIX_STAMP"
}

plivex_ensure_prefix() {
    plivex_prefix_ready && return 0
    plivex_ensure_locale || return 1
    mkdir -p -- "${WINEPREFIX%/*}" || return 1
    # Two scripts, or ctest -j with cmake/wine-run, may arrive here together.
    (
        if ! flock -w 900 9; then
            _plivex_err "timed out waiting for another set-up of $WINEPREFIX"
            exit 1
        fi
        plivex_prefix_ready && exit 0   # the other one finished it
        _plivex_prefix_setup
    ) 9>"$WINEPREFIX.lock"
}

# plivex_set_graphics null|x11
# The driver is bound to the desktop process of a wineserver session, so this
# stops the prefix's wineserver (and anything running in it): the next Wine
# run starts with the new driver. Restore "null" when done with x11.
plivex_set_graphics() {
    local driver=${1:-}
    case $driver in
        null | x11) ;;
        *) _plivex_err "plivex_set_graphics: expected null or x11, got '$driver'"; return 2 ;;
    esac
    plivex_ensure_prefix || return 1
    if ! wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d "$driver" /f \
            </dev/null >/dev/null 2>&1; then
        _plivex_err "could not set the Wine graphics driver to $driver"
        return 1
    fi
    wineserver -k </dev/null >/dev/null 2>&1
    _plivex_say "Wine graphics driver: $driver"
}

# --- drives for fault tests ---

# Points dosdevices/LETTER: at TARGET, replacing a stale link.
_plivex_drive_link() {
    local link=$WINEPREFIX/dosdevices/$1: target=$2 cur=
    [[ -L $link ]] && cur=$(readlink -- "$link")
    [[ $cur == "$target" ]] && return 0
    rm -f -- "$link" && ln -s -- "$target" "$link" || return 1
    _plivex_say "drive ${1^^}: -> $target"
}

_plivex_drive_unlink() {
    local link=$WINEPREFIX/dosdevices/$1:
    [[ -L $link || -e $link ]] || return 0
    rm -f -- "$link" && _plivex_say "drive ${1^^}: removed"
}

_plivex_mount_small() {
    local m=$PLIVEX_MNT_SMALL blocks='' bsize=''
    if mountpoint -q -- "$m"; then
        read -r blocks bsize < <(stat -f -c '%b %S' -- "$m")
        if ((blocks * bsize != PLIVEX_SMALL_KIB * 1024)); then
            mount -o "remount,size=${PLIVEX_SMALL_KIB}k" -- "$m" || return 1
            _plivex_say "resized $m to ${PLIVEX_SMALL_KIB} KiB"
        fi
        # Leftovers of an earlier run would shrink the free space tests rely on.
        if [[ -n $(ls -A -- "$m") ]]; then
            find "$m" -mindepth 1 -delete || return 1
            _plivex_say "emptied $m"
        fi
        return 0
    fi
    mkdir -p -- "$m" || return 1
    mount -t tmpfs -o "size=${PLIVEX_SMALL_KIB}k,mode=0755" plivex-small "$m" 2>/dev/null || return 1
    _plivex_say "mounted ${PLIVEX_SMALL_KIB} KiB tmpfs at $m"
}

_plivex_mount_ro() {
    local m=$PLIVEX_MNT_RO f=$PLIVEX_MNT_RO/readonly.txt
    local content='' mode='' expected=$'read-only source\r\n' what=mounted
    if mountpoint -q -- "$m"; then
        if [[ -f $f ]]; then
            IFS= read -r -d '' content <"$f"
            mode=$(stat -c %a -- "$f")
        fi
        # [ -w ] fails on a read-only file system even for root.
        [[ $content == "$expected" && $mode == 444 && ! -w $m ]] && return 0
        mount -o remount,rw -- "$m" || return 1
        what=restored
    else
        mkdir -p -- "$m" || return 1
        mount -t tmpfs -o size=64k,mode=0755 plivex-ro "$m" 2>/dev/null || return 1
    fi
    # Mode 0444 as well: Wine's DeleteFileW on a writable-mode file of a
    # read-only mount reports success and leaves the file; with no write bits
    # it fails with ERROR_ACCESS_DENIED, as Windows does for a read-only file.
    rm -f -- "$f" &&
        printf '%s' "$expected" >"$f" &&
        chmod 0444 -- "$f" &&
        mount -o remount,ro -- "$m" || return 1
    _plivex_say "$what read-only tmpfs at $m"
}

# Best effort: T: is a 1536 KiB tmpfs (disk full), R: a read-only tmpfs holding
# readonly.txt (mode 0444). Sets PLIVEX_FAULT_MOUNTS=yes|no (exported, so test programs
# under Wine see it too). Set up before plivex_wineserver_start: Wine's mount
# manager learns the drive letters when it starts.
plivex_ensure_fault_mounts() {
    plivex_ensure_prefix || return 1
    if ((EUID == 0)) && _plivex_mount_small && _plivex_mount_ro; then
        _plivex_drive_link t "$PLIVEX_MNT_SMALL" &&
            _plivex_drive_link r "$PLIVEX_MNT_RO" || return 1
        export PLIVEX_FAULT_MOUNTS=yes
        return 0
    fi
    plivex_release_fault_mounts
    export PLIVEX_FAULT_MOUNTS=no
    _plivex_say "cannot mount file systems here (needs root with mount rights): fault tests needing drives T: and R: will be skipped"
}

plivex_release_fault_mounts() {
    local m
    _plivex_drive_unlink t
    _plivex_drive_unlink r
    for m in "$PLIVEX_MNT_SMALL" "$PLIVEX_MNT_RO"; do
        mountpoint -q -- "$m" 2>/dev/null || continue
        # A lazy unmount still detaches it when something holds it open.
        umount -- "$m" 2>/dev/null || umount -l -- "$m" || return 1
        _plivex_say "unmounted $m"
    done
    export PLIVEX_FAULT_MOUNTS=no
}

# --- wineserver ---

# Keeps one wineserver up across a series of runs; a fresh one per run costs
# about a second. Stops a server already running in the prefix first: it may
# not be persistent, and 'wineserver -p' does not make a running one so.
plivex_wineserver_start() {
    plivex_ensure_prefix || return 1
    local rc=0
    wineserver -p </dev/null >/dev/null 2>&1 || rc=$?
    if ((rc == 2)); then
        wineserver -k </dev/null >/dev/null 2>&1
        wineserver -w </dev/null >/dev/null 2>&1
        rc=0
        wineserver -p </dev/null >/dev/null 2>&1 || rc=$?
    fi
    if ((rc != 0)); then
        _plivex_err "wineserver -p failed with exit code $rc"
        return 1
    fi
    # Start the session's helper processes (services, drivers, the desktop)
    # now, with nothing attached. Started by the first test instead, they
    # keep its stderr for as long as the server lives, and ctest then waits
    # on that pipe for minutes. rundll32 without arguments just opens the
    # desktop and exits.
    wine rundll32.exe </dev/null >/dev/null 2>&1
    return 0
}

plivex_wineserver_stop() {
    wineserver -k </dev/null >/dev/null 2>&1
    # Returns once the server is gone, so Xvfb can be stopped after this.
    wineserver -w </dev/null >/dev/null 2>&1
    return 0
}

plivex_ensure_all() {
    plivex_ensure_packages "${PLIVEX_PACKAGES[@]}" &&
        plivex_ensure_locale &&
        plivex_ensure_prefix &&
        plivex_ensure_fault_mounts
}
