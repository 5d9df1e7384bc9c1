#!/usr/bin/env bash
# Includes run one way: a file includes headers of its own layer or of layers below it, never
# above. The engine's layers count one by one; the layers above it sit on the engine as a whole.
# Also: only the window layer includes Qt. Prints every include that breaks a rule.
set -uo pipefail
ROOT="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
cd "$ROOT" || exit 2

rank() {
  case "$1" in
    jet/util/*) echo 0 ;; jet/port/*) echo 1 ;; jet/format/*) echo 2 ;; jet/read/*) echo 3 ;;
    jet/write/*) echo 4 ;; jet/sql/*) echo 5 ;; jet/*) echo 99 ;;
    platform/*) echo 6 ;; data/*) echo 7 ;; certfile/*) echo 8 ;; run/*) echo 9 ;; tools/*) echo 9 ;;
    app/*) echo 10 ;; *) echo 100 ;;
  esac
}

bad=0
while IFS= read -r line; do
  file=${line%%:*}
  header=${line#*\"}; header=${header%%\"*}
  [[ -e "$header" ]] || continue  # a generated or system header
  from=$(rank "$file"); to=$(rank "$header")
  if (( to > from )); then
    echo "$file includes $header, a layer above it"; bad=1
  fi
done < <(git ls-files -- jet platform data certfile run tools app | grep -E '\.(h|cc)$' |
         xargs grep -H '^#include "')

# At most two source files directly in jet/: the engine's code lives in its layers.
loose=$(git ls-files -- 'jet/*.h' 'jet/*.cc' | grep -Ev '^jet/[^/]+/' | wc -l)
if (( loose > 2 )); then echo "jet/ holds $loose source files of its own"; bad=1; fi

while IFS= read -r line; do
  echo "${line%%:*} includes Qt outside the window layer"; bad=1
done < <(git ls-files -- jet platform data certfile run tools | grep -E '\.(h|cc)$' |
         xargs grep -HE '^#include <Q[A-Za-z]+>')

# The engine reads and writes files through its own file layer only.
while IFS= read -r line; do
  echo "${line%%:*} opens files around the file layer"; bad=1
done < <(git ls-files -- jet | grep -E '\.(h|cc)$' | xargs grep -HE '<fstream>|\bfopen\(')

exit $bad
