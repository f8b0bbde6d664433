#!/usr/bin/env bash
# The Node package's TypeScript types, checked as a user's program sees them: usage.ts checks under
# --strict, and each call in misuse.ts is refused.
#
#   types.sh TSC PACKAGE_DIR
set -euo pipefail
tsc=$1 package=$2 here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/node_modules/kvdui"
cp "$package/index.d.ts" "$package/package.json" "$work/node_modules/kvdui/"
cp "$here/events.d.ts" "$here/usage.ts" "$here/misuse.ts" "$work/"
check() {
    # No @types packages from the machine: the types must stand on their own and on events.d.ts.
    cat >"$work/tsconfig.json" <<CONFIG
{ "compilerOptions": { "strict": true, "noEmit": true, "target": "es2020", "lib": ["es2020", "dom"],
                       "module": "commonjs", "moduleResolution": "node", "types": [] },
  "files": ["events.d.ts", "$1"] }
CONFIG
    (cd "$work" && "$tsc" -p tsconfig.json)
}
check usage.ts >"$work/usage.log" 2>&1 || { cat "$work/usage.log" >&2; echo "usage.ts does not check" >&2; exit 1; }
if check misuse.ts >"$work/misuse.log" 2>&1; then
    echo "misuse.ts checked, but its calls are wrong" >&2
    exit 1
fi
# One error on each of the five wrong lines, and no other.
lines=$(grep -o '^misuse\.ts([0-9]*' "$work/misuse.log" | sed 's/.*(//' | sort -n | uniq | tr '\n' ' ')
[ "$lines" = "5 6 7 8 9 " ] || { cat "$work/misuse.log" >&2; echo "refused lines: $lines" >&2; exit 1; }
echo "the types take usage.ts and refuse misuse.ts's five wrong calls"
