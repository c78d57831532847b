#!/bin/sh
# link_cjk_font.sh PREFIX: links the dialog font of a Wine prefix to a font
# with Chinese, Japanese and Korean glyphs, as a CJK Windows system links its
# own; without it Wine draws those pages' texts as empty boxes. The font
# comes from Debian's fonts-wqy-microhei (scripts/setup.sh installs it).
prefix=$1
run=$(dirname "$0")/../../cmake/wine_run.sh
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
    /bin/sh "$run" "$prefix" reg add "$key" /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f \
        >/dev/null || exit 1
done
