#!/usr/bin/env python3
"""Checks the include graph of the sources against the layers.

Every folder is one layer and may include headers only from itself and the
layers it is allowed to use; Qt headers may appear only in the Qt binding,
the two programs, the Qt tests and the benchmarks. The public headers
(include/, part of the api layer) and the examples that use them include
only <elprops/...> and the standard library; so does the Python module
(python/), which may include pybind11 and its own headers besides. Run with the source tree as the
only argument; prints every offending include and exits 1 if any.

With --check-docs, checks instead that the layer tables of the documents
(a table whose header starts with "Layer" or "Folder" and ends with "Uses")
give every layer exactly the uses that ALLOWED gives it: the table here is
the one source, the documents follow it.
"""
import pathlib
import re
import sys

# Each layer and the layers below it that it may use.
ALLOWED = {
    "model": set(),
    "api": {"model"},
    "text": set(),
    "platform": set(),
    "files": set(),
    "report": {"model", "text", "platform"},
    "frontend": {"model", "text", "platform", "report"},
    "qt": {"model", "text", "platform", "report", "files"},
    "plot": {"report", "files"},
    "app": {"model", "text", "platform", "report", "frontend", "qt"},
    "cli": {"text", "platform", "report", "qt", "plot", "api", "files"},
    "python": {"api"},
}
# Folders that belong to a layer without being named after it.
EXTRA_FOLDERS = {"include": "api"}
# Code that sees elprops only through its public headers.
PUBLIC_ONLY = {"include", "examples", "python"}
PUBLIC_INCLUDE = re.compile(r"^(elprops/[A-Za-z0-9_]+\.h(pp)?|[a-z0-9_]+)$")
# The C standard library's headers, for C code (and headers that may be C).
C_STANDARD_INCLUDE = re.compile(r"^[a-z0-9_]+\.h$")
# Third-party headers such code may include besides.
PUBLIC_EXTRA = {"python": re.compile(r"^pybind11/[A-Za-z0-9_/]+\.h$")}
# Such code that may include its own headers besides, named by their folder.
PUBLIC_OWN = {"python"}
QT_ALLOWED = {"qt", "plot", "app", "cli", "tests/qt", "bench"}
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".c"}

LOCAL_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SYSTEM_INCLUDE = re.compile(r"^\s*#\s*include\s+<([^>]+)>")
QT_HEADER = re.compile(r"^(Qt[A-Za-z]*/)?Q[A-Za-z]+(\.h)?$")


def sources(folder):
    return sorted(p for p in folder.rglob("*") if p.suffix in SOURCE_SUFFIXES and p.is_file())


def main(root):
    root = pathlib.Path(root)
    owner = {}  # header file name -> the layer that owns it
    where_is = {}  # header file name -> its path from the top of the tree
    problems = []
    for folder in list(ALLOWED) + list(EXTRA_FOLDERS):
        layer = EXTRA_FOLDERS.get(folder, folder)
        for path in sources(root / folder):
            if path.suffix in {".h", ".hpp"}:
                if path.name in owner:
                    problems.append(f"{path.relative_to(root)}: header name also used in {owner[path.name]}/")
                owner[path.name] = layer
                where_is[path.name] = path.relative_to(root).as_posix()

    def area(path):
        rel = path.relative_to(root).parts
        if rel[:2] == ("tests", "qt"):
            return "tests/qt"
        return EXTRA_FOLDERS.get(rel[0], rel[0])

    checked = 0
    for top in list(ALLOWED) + list(EXTRA_FOLDERS) + ["tests", "bench", "fuzz", "examples"]:
        for path in sources(root / top):
            checked += 1
            where = area(path)
            folder = path.relative_to(root).parts[0]
            public_only = folder in PUBLIC_ONLY
            extra = PUBLIC_EXTRA.get(folder)
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                local = LOCAL_INCLUDE.match(line)
                system = SYSTEM_INCLUDE.match(line)
                public = system and (PUBLIC_INCLUDE.match(system.group(1)) or (extra and extra.match(system.group(1)))
                                     or (path.suffix in {".c", ".h"} and C_STANDARD_INCLUDE.match(system.group(1))))
                own = local and folder in PUBLIC_OWN and local.group(1).startswith(folder + "/")
                if public_only and ((local and not own) or (system and not public)):
                    name = local.group(1) if local else system.group(1)
                    problems.append(f"{path.relative_to(root)}:{number}: includes {name}; only <elprops/...> and the "
                                    "standard library are public")
                    continue
                if local and local.group(1) != where_is.get(pathlib.Path(local.group(1)).name, local.group(1)):
                    problems.append(f"{path.relative_to(root)}:{number}: includes \"{local.group(1)}\"; name its "
                                    f"folder: \"{where_is[pathlib.Path(local.group(1)).name]}\"")
                if local and where in ALLOWED:
                    target = owner.get(pathlib.Path(local.group(1)).name)
                    if target and target != where and target not in ALLOWED[where]:
                        problems.append(f"{path.relative_to(root)}:{number}: {where}/ includes "
                                        f'"{local.group(1)}" of {target}/')
                if system and QT_HEADER.match(system.group(1)) and where not in QT_ALLOWED:
                    problems.append(f"{path.relative_to(root)}:{number}: Qt header <{system.group(1)}> outside "
                                    "the Qt binding")
    for problem in problems:
        print(problem)
    if checked == 0:
        print(f"no sources found under {root}")
        return 1
    print(f"{checked} files checked, {len(problems)} problems")
    return 1 if problems else 0


# The documents whose layer tables follow ALLOWED.
DOCUMENTS = ("docs/developing.md", "docs/architecture.md")
TABLE_HEADER = re.compile(r"^\|\s*(Layer|Folder)\s*\|.*\|\s*Uses\s*\|\s*$")


def documented_uses(cell):
    """The layers a "Uses" cell names: a list such as "model, text" or
    "nothing"; remarks in parentheses are not part of it."""
    names = {name.strip().strip("`").rstrip("/") for name in re.sub(r"\([^)]*\)", "", cell).split(",")}
    return names - {"nothing", ""}


def check_documents(root, documents=DOCUMENTS):
    root = pathlib.Path(root)
    problems = []
    for document in documents:
        try:
            lines = (root / document).read_text(encoding="utf-8").splitlines()
        except OSError as error:
            problems.append(f"{document}: cannot be read: {error.strerror}")
            continue
        seen = set()
        tables = 0
        in_table = False
        for number, line in enumerate(lines, 1):
            if TABLE_HEADER.match(line):
                in_table = True
                tables += 1
                continue
            if not line.startswith("|"):
                in_table = False
            if not in_table or set(line) <= set("|-: "):
                continue
            cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
            folders = re.findall(r"`([^`]+)`", cells[0])
            layer = EXTRA_FOLDERS.get(folders[0].rstrip("/"), folders[0].rstrip("/")) if folders else None
            if layer not in ALLOWED:
                continue
            seen.add(layer)
            uses = documented_uses(cells[-1])
            if uses != ALLOWED[layer]:
                said = ", ".join(sorted(uses)) or "nothing"
                allowed = ", ".join(sorted(ALLOWED[layer])) or "nothing"
                problems.append(f"{document}:{number}: {layer}/ uses {said}; the layers allow {allowed}")
        if tables == 0:
            problems.append(f"{document}: no layer table (a header row \"| Layer | ... | Uses |\")")
        for layer in sorted(set(ALLOWED) - seen):
            problems.append(f"{document}: no row for the layer {layer}/")
    for problem in problems:
        print(problem)
    print(f"{len(documents)} documents checked, {len(problems)} problems")
    return 1 if problems else 0


ALLOWED_IN_SELF_TEST = {"downwards include", "api uses the model", "cli uses the public headers",
                        "example uses the public headers", "python uses the public headers and pybind11",
                        "python includes its own header",
                        "plot uses Qt and the report", "plot uses the output files"}


def self_test():
    """The checker itself: a small tree with one fault of each kind."""
    import contextlib
    import io
    import tempfile

    cases = {
        "upwards include": ("report/protocol.cpp", '#include "frontend/app.h"\n', "frontend/app.h"),
        "sideways include": ("cli/main.cpp", '#include "frontend/app.h"\n', "frontend/app.h"),
        "Qt in a plain layer": ("model/correlations.cpp", "#include <QString>\n", None),
        "Qt module path in a test": ("tests/report/t.cpp", "#include <QtCore/QString>\n", None),
        "downwards include": ("frontend/app.cpp", '#include "report/format.h"\n', "report/format.h"),
        "api uses report": ("api/compute.cpp", '#include "report/format.h"\n', "report/format.h"),
        "public header includes the model": ("include/elprops/compute.hpp", '#include "catalogue.h"\n',
                                             "model/catalogue.h"),
        "public header includes Qt": ("include/elprops/compute.hpp", "#include <QString>\n", None),
        "example includes a third-party header": ("examples/example.cpp", "#include <CLI/CLI.hpp>\n", None),
        "model uses the api": ("model/correlations.cpp", '#include "api/evaluate.h"\n', "api/evaluate.h"),
        "frontend uses the api": ("frontend/app.cpp", '#include "include/elprops/compute.hpp"\n', "include/elprops/compute.hpp"),
        "api uses the model": ("api/compute.cpp", '#include "model/catalogue.h"\n', "model/catalogue.h"),
        "cli uses the public headers": ("cli/main.cpp", '#include "include/elprops/compute.hpp"\n', "include/elprops/compute.hpp"),
        "example uses the public headers": ("examples/example.cpp", "#include <elprops/elprops.hpp>\n#include <cstdio>\n",
                                            None),
        "python uses the public headers and pybind11": (
            "python/module.cpp", "#include <pybind11/numpy.h>\n#include <elprops/elprops.hpp>\n#include <span>\n", None),
        "python includes the model": ("python/module.cpp", '#include "model/catalogue.h"\n', "model/catalogue.h"),
        "python includes the api's own header": ("python/module.cpp", '#include "api/evaluate.h"\n', "api/evaluate.h"),
        "python includes a third-party header": ("python/module.cpp", "#include <CLI/CLI.hpp>\n", None),
        "python includes Qt": ("python/module.cpp", "#include <QString>\n", None),
        "python includes its own header": ("python/module.cpp", '#include "python/arrays.h"\n', "python/arrays.h"),
        "example includes its own header": ("examples/example.cpp", '#include "examples/util.h"\n', "examples/util.h"),
        "include without its folder": ("frontend/app.cpp", '#include "format.h"\n', "report/format.h"),
        "plot uses Qt and the report": ("plot/plot_render.cpp", '#include <QPainter>\n#include "report/plot_model.h"\n',
                                        "report/plot_model.h"),
        "api uses the python module": ("api/compute.cpp", '#include "python/module.h"\n', "python/module.h"),
        "files uses the report": ("files/output_file.cpp", '#include "report/format.h"\n', "report/format.h"),
        "files uses Qt": ("files/output_file.cpp", "#include <QFile>\n", None),
        "plot uses the output files": ("plot/plot_render.cpp", '#include "files/output_file.h"\n',
                                       "files/output_file.h"),
    }
    failures = 0
    for name, (source, text, header) in cases.items():
        with tempfile.TemporaryDirectory() as tmp:
            tree = pathlib.Path(tmp)
            for rel, content in ((source, text), (header, "#pragma once\n")):
                if rel:
                    (tree / rel).parent.mkdir(parents=True, exist_ok=True)
                    (tree / rel).write_text(content, encoding="utf-8")
            with contextlib.redirect_stdout(io.StringIO()):
                status = main(tree)
        expected = 0 if name in ALLOWED_IN_SELF_TEST else 1
        if status != expected:
            print(f"self-test '{name}': exit {status}, expected {expected}")
            failures += 1
    document_failures, document_cases = self_test_documents()
    failures += document_failures
    total = len(cases) + document_cases
    print(f"{total - failures} passed, {failures} failed")
    return 1 if failures else 0


def self_test_documents():
    """The document check: a table that follows ALLOWED passes; one with a
    layer's uses changed, or a layer missing, fails."""
    import contextlib
    import io
    import tempfile

    def row(layer, uses):
        return f"| `{layer}/` | what it holds | {', '.join(sorted(uses)) or 'nothing'} (a remark) |"

    right = {layer: set(uses) for layer, uses in ALLOWED.items()}
    changed = dict(right, report=right["report"] | {"frontend"})
    missing = {layer: uses for layer, uses in right.items() if layer != "plot"}
    cases = (("matching table", right, 0), ("a use too many", changed, 1), ("a layer missing", missing, 1))
    failures = 0
    for name, table, expected in cases:
        with tempfile.TemporaryDirectory() as tmp:
            text = "\n".join(["| Layer | Owns | Uses |", "|---|---|---|"] + [row(*item) for item in table.items()])
            (pathlib.Path(tmp) / "doc.md").write_text(text + "\n", encoding="utf-8")
            with contextlib.redirect_stdout(io.StringIO()):
                status = check_documents(tmp, ("doc.md",))
        if status != expected:
            print(f"self-test '{name}': exit {status}, expected {expected}")
            failures += 1
    return failures, len(cases)


if __name__ == "__main__":
    if sys.argv[1:2] == ["--self-test"]:
        sys.exit(self_test())
    if sys.argv[1:2] == ["--check-docs"]:
        sys.exit(check_documents(sys.argv[2] if len(sys.argv) > 2 else "."))
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
