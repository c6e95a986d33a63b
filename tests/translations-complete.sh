#!/usr/bin/env bash
# Fails when a text of ours has no English: lupdate reads every source into a
# copy of the translation, which keeps what is translated and adds what is new
# as unfinished.
# Usage: translations-complete.sh LUPDATE SOURCE_DIR TS_FILE
set -euo pipefail
lupdate=$1 sources=$2 ts=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/en.ts"
"$lupdate" -silent -source-language de -target-language en -locations none -no-obsolete \
    "$sources" -ts "$work/en.ts"
python3 - "$work/en.ts" <<'PY'
import sys
import xml.etree.ElementTree as ET

missing = []
for context in ET.parse(sys.argv[1]).getroot().iter("context"):
    name = context.findtext("name")
    for message in context.iter("message"):
        translation = message.find("translation")
        if (
            translation is None
            or translation.get("type") == "unfinished"
            or not "".join(translation.itertext()).strip()
        ):
            missing.append(f"{name}: {message.findtext('source')!r}")
for line in missing:
    print("no English for", line)
print(f"{len(missing)} texts without English")
sys.exit(1 if missing else 0)
PY
