#!/usr/bin/env bash
# Rewrites the golden files from a build tree (default: build/), one member per line so that a
# change to an interface reads as a change to its lines. Review the diff before committing it.
set -euo pipefail
cd "$(dirname "$0")"
build=${1:-../../build}
"$build/bin/kmcdoc" typelib --json | python3 -c '
import json, sys
interfaces = json.load(sys.stdin)
compact = lambda value: json.dumps(value, separators=(", ", ": "))
lines = []
for interface in interfaces:
    head = {k: v for k, v in interface.items() if k != "members"}
    members = ",\n".join("    " + compact(m) for m in interface["members"])
    lines.append(compact(head)[:-1] + ", \"members\": [\n" + members + "\n  ]}")
print("[\n  " + ",\n  ".join(lines) + "\n]")
' > typelib.json
