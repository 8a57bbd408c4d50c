"""docs/python.md runs as written and prints what it shows; every public name
has a docstring, and the stub kesta.pyi names exactly what the module has."""
import ast
import contextlib
import importlib.util
import io
import os
import re
import shutil

import pytest

import kesta
from conftest import SOURCE

BLOCK = re.compile(r"```(\w+)\n(.*?)```", re.S)


def python_blocks(markdown):
    """Each python block with the text block right after it (its output), if any."""
    blocks = BLOCK.findall(markdown)
    for i, (language, code) in enumerate(blocks):
        if language == "python":
            follows = blocks[i + 1] if i + 1 < len(blocks) else ("", None)
            yield code, follows[1] if follows[0] == "text" else None


def test_python_guide_runs_as_written(tmp_path, monkeypatch):
    # A copy: the fit writes its files beside the fit file.
    shutil.copytree(SOURCE / "examples", tmp_path / "examples")
    monkeypatch.chdir(tmp_path)
    namespace = {}
    blocks = list(python_blocks((SOURCE / "docs" / "python.md").read_text()))
    assert len(blocks) >= 5
    for code, expected in blocks:
        if "matplotlib" in code and importlib.util.find_spec("matplotlib") is None:
            continue
        if "kesta.fit(" in code and not os.environ.get("KESTA_FIT"):
            continue
        printed = io.StringIO()
        with contextlib.redirect_stdout(printed):
            exec(compile(code, "docs/python.md", "exec"), namespace)
        if expected is not None:
            assert printed.getvalue() == expected
    assert (tmp_path / "higher-wave.dat").exists()
    if importlib.util.find_spec("matplotlib") is not None:
        assert (tmp_path / "streambank.png").stat().st_size > 0


def public(names):
    return {name for name in names if not name.startswith("_")}


def stub_names():
    """Top-level names of the stub, and the members of each class it declares."""
    tree = ast.parse((SOURCE / "python" / "kesta.pyi").read_text())
    top, members = set(), {}
    for node in tree.body:
        if isinstance(node, (ast.ClassDef, ast.FunctionDef)):
            top.add(node.name)
        if isinstance(node, ast.ClassDef):
            members[node.name] = {
                item.target.id if isinstance(item, ast.AnnAssign) else item.name
                for item in node.body if isinstance(item, (ast.AnnAssign, ast.FunctionDef))
            }
    return top, members


def test_stub_names_what_the_module_has():
    top, members = stub_names()
    module_names = {name for name in public(dir(kesta)) if callable(getattr(kesta, name))}
    assert top == module_names
    for name, stubbed in members.items():
        assert public(stubbed) == public(vars(getattr(kesta, name))), name


@pytest.mark.parametrize("name", sorted(public(dir(kesta))))
def test_every_public_name_has_a_docstring(name):
    thing = getattr(kesta, name)
    if not callable(thing):
        return
    assert (thing.__doc__ or "").strip(), name
    if isinstance(thing, type):
        for member in public(vars(thing)):
            assert (getattr(vars(thing)[member], "__doc__", "") or "").strip(), f"{name}.{member}"
