#!/usr/bin/env bash
# Makes the Debian package of the build folder given, unpacks it into a scratch root and runs the
# installed programs from there as a new user would: the demo survey, a conversion, and the
# window's demo screenshots. Checks that apt could install it and what its control data says.
# Everything it writes lies in a scratch folder it removes again.
#   bash tests/package_test.sh BUILD_FOLDER
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "package test: $*" >&2
    exit 1
}

cpack -G DEB -B "$scratch/package" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" ||
    fail "cpack failed: $(cat "$scratch/cpack.log")"
debs=("$scratch"/package/tessivo_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "no package was made"

# What a user's apt would see: the dependencies dpkg-shlibdeps worked out, and that they resolve.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libcurl4 libicu libqt6core6 libqt6webenginewidgets6 libqt6webenginecore6-bin \
    libmaxminddb0 libpsl5 publicsuffix; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
for field in Section Maintainer Description; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "the control data has no $field"
done
apt-get install --simulate -qq "$deb" >"$scratch/apt.log" 2>&1 ||
    fail "apt could not install it: $(cat "$scratch/apt.log")"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/tessivo usr/bin/tessivo-cli usr/share/man/man1/tessivo.1.gz \
    usr/share/man/man1/tessivo-cli.1.gz usr/share/doc/tessivo/copyright \
    usr/share/icons/hicolor/48x48/apps/tessivo.png usr/share/tessivo/config/demo/article.html \
    usr/share/tessivo/config/endpoints.example.ini usr/share/tessivo/config/country_names.tsv \
    usr/share/tessivo/config/geo-whois-asn-country.mmdb \
    usr/share/tessivo/config/geo-whois-asn-country.LICENSE; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done
desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "the menu entry is invalid"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$scratch/as.log" ||
    fail "appstreamcli refuses the metainfo: $(cat "$scratch/as.log")"

# The installed programs, run where they were unpacked, with a home of their own.
export XDG_CACHE_HOME=$scratch/cache XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
export XDG_RUNTIME_DIR=$scratch/runtime HOME=$scratch/home
mkdir -m 700 "$XDG_RUNTIME_DIR" "$HOME"
survey=$("$root/usr/bin/tessivo-cli" --demo indexed example.cn 2>"$scratch/err")
grep -q '演示数据' "$scratch/err" || fail "the demo does not say so: $(cat "$scratch/err")"
figures=$(grep -o "target='_blank'>[0-9][0-9,]*</a>" <<<"$survey" | wc -l)
[ "$figures" -eq 8 ] || fail "the demo survey shows $figures figures, not 8: $survey"
logos=$(grep -o "<img src='file://$root/usr/share/tessivo/images/[a-z]*.gif'>" <<<"$survey" | wc -l)
[ "$logos" -eq 8 ] || fail "the survey's logos are not the installed ones: $survey"
# The offline country of an address comes from the installed database, and a lookup of a
# literal address resolves nothing.
country=$("$root/usr/bin/tessivo-cli" --demo ip 114.114.114.114 2>/dev/null | tail -1 | cut -f4)
[ "$country" = "中国（CN）" ] || fail "ip 114.114.114.114 placed it in \"$country\""
converted=$("$root/usr/bin/tessivo-cli" convert s2t 简体)
[ "$converted" = "簡體" ] || fail "convert s2t 简体 gave \"$converted\""

QT_QPA_PLATFORM=offscreen "$root/usr/bin/tessivo" --demo --screenshots "$scratch/shots" \
    >"$scratch/window.log" 2>&1 || fail "the window failed: $(tail -20 "$scratch/window.log")"
shots=$(find "$scratch/shots" -name '*.png' -size +4k | wc -l)
[ "$shots" -eq 16 ] || fail "the window saved $shots pictures of its 16 pages"
echo "package test: $(basename "$deb") installs, and its demo runs from the installed copy"
