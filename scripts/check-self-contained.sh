#!/usr/bin/env bash
# Fails when a tracked file refers to the folder beside the repository that test data once came
# from: tests and builds must work on a fresh clone with nothing next to it.
set -u
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 1
pattern='\.\./shared'
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  bad=$(git ls-files -z | xargs -0 grep -nIE "$pattern" -- 2>/dev/null)
else
  bad=$(grep -rnIE "$pattern" --exclude-dir='build*' --exclude-dir=.git . 2>/dev/null)
fi
if [ -n "$bad" ]; then
  echo "tracked files refer to a folder outside the repository:"
  echo "$bad"
  exit 1
fi
echo "self-contained: no tracked file refers to a folder outside the repository"
