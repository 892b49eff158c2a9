#!/usr/bin/env python3
"""Checks the files that come with the programs.

- the desktop entry and the AppStream metainfo pass desktop-file-validate and
  appstreamcli validate --no-net, and say what they must;
- the man pages render without warnings and name every command, option and
  exit status that elprops-cli --help names;
- the bash completion knows every command, option and substance, and
  completes them.

Exits 1 on a failed check; 77 (skipped) when a validator is not installed and
nothing else failed.
"""
import argparse
import csv
import io
import pathlib
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

WINDOW_TITLE = "Физико-химические свойства растворов электролитов"
APPSTREAM_ID = "invalid.elprops.elprops"
COMMANDS = ["list", "compute", "batch", "solve", "protocol", "plot"]

failures = []
skipped = []


def fail(message):
    failures.append(message)
    print(f"FAIL: {message}")


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, encoding="utf-8", **kwargs)


def desktop_entry(source):
    path = source / "data" / "elprops.desktop"
    if shutil.which("desktop-file-validate"):
        result = run(["desktop-file-validate", str(path)])
        problems = [line for line in (result.stdout + result.stderr).splitlines() if ": hint:" not in line]
        if result.returncode != 0 or problems:
            fail(f"desktop-file-validate: {result.returncode} {problems}")
        else:
            print("desktop-file-validate: valid")
    else:
        skipped.append("desktop-file-validate is not installed (Debian package desktop-file-utils)")
    entry = {}
    for line in path.read_text(encoding="utf-8").splitlines():
        if "=" in line and not line.startswith("#"):
            key, value = line.split("=", 1)
            entry[key] = value
    expected = {
        "Type": "Application",
        "Name": WINDOW_TITLE,
        "Exec": "elprops",
        "Icon": "elprops",
        "Terminal": "false",
        "Categories": "Science;Chemistry;Education;",
    }
    for key, value in expected.items():
        if entry.get(key) != value:
            fail(f"elprops.desktop: {key} is {entry.get(key)!r}, expected {value!r}")
    for key in ("Name[en]", "Comment"):
        if not entry.get(key):
            fail(f"elprops.desktop: no {key}")


def metainfo(source, version, release_date):
    path = source / "data" / f"{APPSTREAM_ID}.metainfo.xml"
    if shutil.which("appstreamcli"):
        result = run(["appstreamcli", "validate", "--no-net", str(path)])
        output = result.stdout + result.stderr
        if result.returncode != 0 or re.search(r"^[EW]: ", output, re.M):
            fail(f"appstreamcli validate: {result.returncode}\n{output}")
        else:
            print("appstreamcli validate --no-net: valid")
    else:
        skipped.append("appstreamcli is not installed (Debian package appstream)")
    root = ET.parse(path).getroot()
    if root.findtext("id") != APPSTREAM_ID:
        fail(f"metainfo id is {root.findtext('id')!r}")
    launchable = root.find("launchable")
    if launchable is None or launchable.get("type") != "desktop-id" or launchable.text != "elprops.desktop":
        fail("metainfo: no launchable elprops.desktop")
    releases = root.findall("releases/release")
    if not releases or releases[0].get("version") != version or releases[0].get("date") != release_date:
        newest = releases[0].attrib if releases else None
        fail(f"metainfo: newest release is {newest}, expected version {version} of {release_date}")
    if not (source / "data" / "elprops.svg").is_file():
        fail("no data/elprops.svg")
    else:
        ET.parse(source / "data" / "elprops.svg")


def help_text(cli, *args):
    result = run([cli, *args, "--help"], env={"LC_ALL": "C.UTF-8", "PATH": "/usr/bin:/bin"})
    if result.returncode != 0:
        fail(f"{cli} {' '.join(args)} --help exits {result.returncode}")
    return result.stdout


def options_of(text):
    """Long options (and short ones) of the option lines of a help text."""
    found = set()
    for line in text.splitlines():
        match = re.match(r"^\s+(-[^ ]+)", line)
        if match:
            for name in match.group(1).split(","):
                found.add(name)
    return found


def man_pages(build, cli, version, release_date):
    pages = {name: build / "man" / f"{name}.1" for name in ("elprops", "elprops-cli")}
    for name, page in pages.items():
        if not page.is_file():
            fail(f"no man page {page}")
            continue
        text = page.read_text(encoding="utf-8")
        if "@" in text.replace("\\(at", ""):
            fail(f"{name}.1: a placeholder is left")
        title = name.upper().replace("-", "\\-")
        if f'.TH {title} 1 "{release_date}" "elprops {version}"' not in text:
            fail(f"{name}.1: the title line does not name version {version} of {release_date}")
        for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "EXIT STATUS", "ENVIRONMENT", "FILES", "EXAMPLES"):
            if f".SH {section}" not in text and f'.SH "{section}"' not in text:
                fail(f"{name}.1: no section {section}")
        for word in ("SOURCE_DATE_EPOCH", "LC_ALL", "Documents"):
            if word not in text:
                fail(f"{name}.1: {word} is not mentioned")
        if shutil.which("man"):
            result = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", str(page)],
                                    capture_output=True, env={"LC_ALL": "C.UTF-8", "MANROFFSEQ": "",
                                                              "MANWIDTH": "80", "PATH": "/usr/bin:/bin"})
            if result.returncode != 0 or result.stderr:
                fail(f"{name}.1 does not render cleanly: {result.stderr.decode(errors='replace')}")
        else:
            skipped.append("man is not installed (Debian package man-db): the pages were not rendered")

    page = pages["elprops-cli"].read_text(encoding="utf-8") if pages["elprops-cli"].is_file() else ""
    main_help = help_text(cli)
    for command in COMMANDS:
        if not re.search(rf"^\s+{command}\s", main_help, re.M):
            fail(f"elprops-cli --help does not list {command}: the list of commands here is out of date")
        if f".B {command}" not in page:
            fail(f"elprops-cli.1 does not describe the command {command}")
        for option in options_of(help_text(cli, command)):
            if option.replace("-", "\\-") not in page:
                fail(f"elprops-cli.1 does not mention {option} of {command}")
    statuses = re.search(r"Exit status:(.*)", main_help)
    exit_section = page.split(".SH EXIT STATUS", 1)[-1].split(".SH ", 1)[0]
    for status in re.findall(r"(?:^|; )\s*(\d+) ", statuses.group(1) if statuses else ""):
        if f".B {status}\n" not in exit_section:
            fail(f"elprops-cli.1 does not explain exit status {status}")
    if not statuses:
        fail("elprops-cli --help names no exit status")


def completion(source, cli):
    path = source / "completion" / "elprops-cli"
    script = path.read_text(encoding="utf-8")
    for command in COMMANDS:
        if command not in script:
            fail(f"the completion does not know the command {command}")
        for option in options_of(help_text(cli, command)):
            if not re.search(rf"(^|[\s\"|(]){re.escape(option)}([\s\")|]|$)", script, re.M):
                fail(f"the completion does not know {option} of {command}")
    listing = run([cli, "list", "--format", "csv"], env={"LC_ALL": "C.UTF-8", "PATH": "/usr/bin:/bin"}).stdout
    rows = list(csv.DictReader(io.StringIO(listing)))
    if len(rows) != 19:
        fail(f"elprops-cli list gave {len(rows)} substances")
    body = re.search(r"_elprops_cli_substances\(\)\s*\{(.*?)\n\}", script, re.S)
    words = set(re.findall(r"'[^']*'|[^\s\\']+", body.group(1))) if body else set()
    words = {w.strip("'") for w in words} - {"printf", "%s\\n", "#", "Indices", "and", "formulas", "of", "the",
                                             "nineteen", "substances."}
    expected = {row["formula"] for row in rows} | {row["index"] for row in rows}
    if words != expected:
        fail(f"completion substances differ from elprops-cli list: missing {expected - words}, extra {words - expected}")

    loader = pathlib.Path("/usr/share/bash-completion/bash_completion")
    if not loader.is_file() or not shutil.which("bash"):
        skipped.append("bash-completion is not installed: the completion was not run")
        return
    cases = {
        "elprops-cli ": "list compute batch solve protocol plot -h --help --version",
        "elprops-cli comp": "compute",
        "elprops-cli compute -s Na": "NaHCO3 NaOH Na2CO3 Na2SO4 NaCl",
        "elprops-cli compute -s (": "\\(NH4\\)2SO4",
        "elprops-cli compute --f": "--format",
        "elprops-cli compute -f ": "text csv json table",
        "elprops-cli batch --format ": "csv json table",
        "elprops-cli compute -p density,pr": "density,prandtl_number",
        "elprops-cli batch --lang ": "ru en",
        "elprops-cli protocol --p": "--pdf --print",
        "elprops-cli list --format j": "json",
        "elprops-cli plot -p heat": "heat_capacity heat_taken_up",
        "elprops-cli plot --x ": "temperature concentration",
        "elprops-cli plot --lang ": "ru en",
        "elprops-cli plot -s K": "KOH K2CO3 K2SO4 KCl",
    }
    driver = f"""
source {loader}
source {path}
complete_line() {{
  COMP_LINE=$1
  COMP_POINT=${{#COMP_LINE}}
  read -ra COMP_WORDS <<< "$COMP_LINE"
  [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${{#COMP_WORDS[@]}} - 1))
  COMPREPLY=()
  _elprops_cli
  echo "${{COMPREPLY[*]}}"
}}
while IFS= read -r line; do complete_line "$line"; done
"""
    result = run(["bash", "-c", driver], input="".join(f"{line}\n" for line in cases))
    answers = result.stdout.splitlines()
    if result.returncode != 0 or len(answers) != len(cases):
        fail(f"the completion did not run: {result.stderr}")
        return
    for (line, expected_words), answer in zip(cases.items(), answers):
        if answer != expected_words:
            fail(f"completing {line!r} gave {answer!r}, expected {expected_words!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True, type=pathlib.Path)
    parser.add_argument("--build", required=True, type=pathlib.Path)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--release-date", required=True)
    args = parser.parse_args()
    desktop_entry(args.source)
    metainfo(args.source, args.version, args.release_date)
    man_pages(args.build, args.cli, args.version, args.release_date)
    completion(args.source, args.cli)
    for reason in skipped:
        print(f"SKIPPED: {reason}")
    if failures:
        print(f"{len(failures)} checks failed")
        return 1
    if skipped:
        return 77
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
