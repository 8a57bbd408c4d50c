#!/usr/bin/env bash
# One version everywhere: every program's --version, the Python module's
# __version__ and the installed package's version file say the version CMake was given.
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
# The Python module, when it was built (its folder and interpreter come from CTest).
if [ -n "${KESTA_PYTHON_MODULE_DIR:-}" ]; then
  said="$(PYTHONPATH="$KESTA_PYTHON_MODULE_DIR" "${KESTA_PYTHON:-python3}" -c 'import kesta; print(kesta.__version__)')"
  if [ "$said" != "$version" ]; then
    echo "the Python module's __version__ is '$said', not '$version'"
    status=1
  fi
fi
grep -q "set(PACKAGE_VERSION \"$version\")" "$build/kestaConfigVersion.cmake" ||
  { echo "the package version file does not say $version"; status=1; }
exit $status
