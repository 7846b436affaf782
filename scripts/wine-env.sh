# Sourced by the other scripts: the project-local Wine environment.
#   wine_prefix_ready DIR [null|x11|desktop] [DPI]   creates DIR as a Wine prefix once and selects its
#   graphics driver: null (no X server), x11 (windows on the user's display), or desktop (an
#   800x600 Wine virtual desktop, for screenshots under Xvfb), at a display scale of DPI/96
#   (default 96).
# The user's own ~/.wine is never touched.

TELLWICK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export LANG=zh_CN.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

wine_prefix_ready() {
    local prefix=$1 driver=${2:-null} dpi=${3:-96}
    export WINEPREFIX=$prefix
    if [ ! -f "$prefix/.tellwick-$driver-$dpi" ]; then
        rm -rf "$prefix"
        mkdir -p "$prefix"
        "$WINE" wineboot -i >/dev/null 2>&1
        "$WINESERVER" -w
        local reg="$prefix/tellwick.reg"
        {
            echo 'REGEDIT4'
            echo
            if [ "$driver" = null ]; then
                echo '[HKEY_CURRENT_USER\Software\Wine\Drivers]'
                echo '"Graphics"="null"'
                echo
                # Test drive Y: is a CD-ROM drive, so the drive box's type suffixes can be tested.
                echo '[HKEY_LOCAL_MACHINE\Software\Wine\Drives]'
                echo '"y:"="cdrom"'
            elif [ "$driver" = desktop ]; then
                echo '[HKEY_CURRENT_USER\Software\Wine\Explorer]'
                echo '"Desktop"="Default"'
                echo
                echo '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]'
                echo '"Default"="800x600"'
            fi
            echo
            echo '[HKEY_CURRENT_USER\Control Panel\Desktop]'
            printf '"LogPixels"=dword:%08x\n' "$dpi"
            echo
            # No crash dialog: a failing test must end, not wait for a click.
            echo '[HKEY_CURRENT_USER\Software\Wine\WineDbg]'
            echo '"ShowCrashDialog"=dword:00000000'
        } >"$reg"
        "$WINE" regedit /S "$reg" >/dev/null 2>&1
        "$WINESERVER" -w
        touch "$prefix/.tellwick-$driver-$dpi"
    fi
    wine_fonts_in_prefix "$prefix"
}

# Debian 12's Wine 8 looks for its own fonts (package fonts-wine, /usr/share/wine/fonts) under a path
# it cannot open, so without them in the prefix's Fonts folder the caption-bar buttons show "0 1 r"
# (the Marlett font is missing). Links them in; a font of the same name already there is kept.
wine_fonts_in_prefix() {
    local fonts="$1/drive_c/windows/Fonts" font
    [ -d "$fonts" ] || return 0
    for font in /usr/share/wine/fonts/*; do
        [ -e "$font" ] || continue
        [ -e "$fonts/${font##*/}" ] || ln -s "$font" "$fonts/"
    done
}
