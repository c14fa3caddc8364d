# Shared by the batch-tool test scripts: check NAME EXPECTED ACTUAL counts a pass or prints the
# difference and counts a failure; each script ends with its "N passed, N failed" line.
failures=0
passes=0

check() {  # name expected actual
  if [ "$2" == "$3" ]; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    printf 'FAIL %s\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$3"
  fi
}
