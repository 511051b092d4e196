#!/usr/bin/env bash
# Writes config/country_names.tsv: every ISO 3166-1 alpha-2 code ICU knows and the country's
# name in simplified Chinese, from the CLDR data built into Debian's ICU (libicu-dev).
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/names.cpp" <<'CPP'
#include <iostream>
#include <string>
#include <unicode/locid.h>
#include <unicode/uversion.h>

int main() {
    const icu::Locale chinese("zh", "CN");
    std::cout << "# ISO 3166-1 alpha-2 code, tab, the name in simplified Chinese. Made by "
                 "scripts/make_country_names.sh from the CLDR data of ICU "
              << U_ICU_VERSION << ".\n";
    for (const char* const* code = icu::Locale::getISOCountries(); *code; ++code) {
        icu::UnicodeString name;
        icu::Locale("", *code).getDisplayCountry(chinese, name);
        std::string utf8;
        name.toUTF8String(utf8);
        std::cout << *code << '\t' << utf8 << '\n';
    }
}
CPP
g++ -std=c++17 -O1 "$work/names.cpp" -o "$work/names" $(pkg-config --cflags --libs icu-uc)
"$work/names" >config/country_names.tsv
echo "make_country_names: wrote config/country_names.tsv ($(grep -vc '^#' config/country_names.tsv) countries)"
