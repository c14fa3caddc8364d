#!/usr/bin/env bash
# Fails when an engine folder includes a Qt header or a header of the user-interface folders.
set -u
root=${1:-$(dirname "$0")/..}
bad=$(grep -rnE '#\s*include\s*[<"](Q[A-Za-z]|qt|ui/|graph/|print/)' \
        "$root"/src/{platform,core,formula,files,commands,analysis,macros} 2>/dev/null)
if [ -n "$bad" ]; then
  echo "engine code reaches above its layer:"
  echo "$bad"
  exit 1
fi
echo "layering: engine folders are free of Qt and user-interface includes"
