#!/usr/bin/env bash
# Prints how large the tests are next to the code they test: the C++ lines that are neither blank
# nor comment-only under tests/ and under src/, leaving out the Qt front end and its widget tests
# on both sides. The tests should stay within a quarter to a third of the code.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    find "$1" -type f \( -name '*.cpp' -o -name '*.h' \) -not -path "$1/qt/*" -print0 |
        xargs -0 cat |
        awk '
            {
                line = $0
                if (inBlock) {
                    if (!index(line, "*/")) next
                    inBlock = 0
                    line = substr(line, index(line, "*/") + 2)
                }
                gsub(/^[ \t]+|[ \t]+$/, "", line)
                if (line == "" || substr(line, 1, 2) == "//") next
                if (substr(line, 1, 2) == "/*") {
                    if (!index(substr(line, 3), "*/")) inBlock = 1
                    next
                }
                n++
            }
            END { print n + 0 }'
}

tests=$(count tests)
code=$(count src)
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests %d / code %d = %.3f\n", t, c, t / c }'
