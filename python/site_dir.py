"""Prints the folder, relative to an install prefix, where this interpreter
finds modules: the first of its site folders under the prefix, or the usual
lib/pythonX.Y/site-packages when none is."""
import os
import site
import sys


def site_dir(prefix: str) -> str:
    prefix = os.path.normpath(prefix)
    for folder in site.getsitepackages():
        if os.path.commonpath([folder, prefix]) == prefix:
            return os.path.relpath(folder, prefix)
    return f"lib/python{sys.version_info[0]}.{sys.version_info[1]}/site-packages"


if __name__ == "__main__":
    print(site_dir(sys.argv[1]))
