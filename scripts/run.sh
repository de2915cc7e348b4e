#!/usr/bin/env bash
# Shows the EUC-JP sample converted, in the terminal.
set -euo pipefail
build=${1:-build}
"$build/tools/ruvok-conv" --utf8 examples/sample-euc.txt
