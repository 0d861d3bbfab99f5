#!/usr/bin/env bash
# Rebuilds the example form workbooks and the reader's LibreOffice fixtures from their sources:
# the Python generators write the .fods sources, LibreOffice converts them to Excel 97-2003
# workbooks, and a template is the same workbook under the ".xlt" name. Needs LibreOffice Calc
# (and python3-xlrd for the check at the end); the tests only need the committed results.
#   bash examples/regenerate.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export PYTHONDONTWRITEBYTECODE=1

command -v soffice >/dev/null || { echo "LibreOffice (soffice) is needed: apt-get install libreoffice-calc" >&2; exit 1; }

python3 examples/make_examples.py examples
python3 tests/fixtures/make_fixtures.py tests/fixtures

# A private profile keeps the conversion independent of the user's LibreOffice settings.
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT

convert() { # source.fods output-folder
    soffice -env:UserInstallation="file://$profile" --headless \
        --convert-to 'xls:MS Excel 97' --outdir "$2" "$1" >/dev/null 2>&1
    local xls="$2/$(basename "${1%.fods}").xls"
    [ -s "$xls" ] || { echo "LibreOffice did not convert $1" >&2; exit 1; }
    echo "$xls"
}

for source in examples/*.fods; do
    xls=$(convert "$source" examples)
    case "$source" in
    */template-*) mv -f "$xls" "${xls%.xls}.xlt" ;;
    esac
done
for source in tests/fixtures/lo-*.fods; do
    convert "$source" tests/fixtures >/dev/null
done
# The same values through a second writer, Gnumeric, where it is installed.
if command -v ssconvert >/dev/null; then
    ssconvert -T Gnumeric_Excel:excel_biff8 tests/fixtures/lo-values.xls \
        tests/fixtures/gnumeric-values.xls 2>/dev/null
else
    echo "Gnumeric (ssconvert) is not installed: tests/fixtures/gnumeric-values.xls kept as it is"
fi

# The independent check wants python3-xlrd, which only the system interpreter may have.
for python in python3 /usr/bin/python3; do
    if "$python" -c "import xlrd" 2>/dev/null; then exec "$python" examples/verify.py; fi
done
echo "python3-xlrd is not installed: the converted files were not checked"
