#!/usr/bin/env bash
# One version everywhere: every program's --version and the installed package's
# version file say the version CMake was given.
#   tests/version_test.sh VERSION BUILD PROGRAM...
set -euo pipefail
version="$1"
build="$2"
shift 2
status=0
for program in "$@"; do
  said="$("$program" --version)"
  if [ "$said" != "$(basename "$program") $version" ]; then
    echo "$program says '$said', not '$(basename "$program") $version'"
    status=1
  fi
done
grep -q "set(PACKAGE_VERSION \"$version\")" "$build/kestaConfigVersion.cmake" ||
  { echo "the package version file does not say $version"; status=1; }
exit $status
