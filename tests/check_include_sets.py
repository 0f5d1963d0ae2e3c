#!/usr/bin/env python3
"""Each library's compiler sees only its own folder and the folders below it.

For every library, takes the compile command the build uses for one of its source files (from
compile_commands.json), and compiles with it, in a scratch folder:
  - one planted file that asks __has_include for a header of every product folder and stops with
    an error where the answer differs from the layer order;
  - one planted file per folder the library may not see, holding a plain #include of that folder's
    header, which the compiler must refuse as a missing file.
Usage: check_include_sets.py <source root> <compile_commands.json>
"""
import json
import os
import shlex
import subprocess
import sys
import tempfile

# What each library's code may include; the same order tests/check_layers.sh holds includes to.
SEES = {
    "platform": ["platform"],
    "services": ["platform", "services"],
    "imaging": ["platform", "services", "imaging"],
    "widgets": ["platform", "services", "imaging", "widgets"],
    "model": ["platform", "services", "imaging", "model"],
    "runtime": ["platform", "services", "imaging", "widgets", "model", "runtime"],
    "ui": ["platform", "services", "imaging", "widgets", "model", "runtime", "ui"],
    "app": ["platform", "services", "imaging", "widgets", "model", "runtime", "ui", "app"],
}
FOLDERS = list(SEES["app"])


def compile_command(entries, root, folder):
    """The build's command for a source file of <folder>, made to check syntax only."""
    prefix = os.path.join(root, folder) + os.sep
    for entry in entries:
        source = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
        if source.startswith(prefix) and source.endswith(".cpp"):
            words = entry.get("arguments") or shlex.split(entry["command"])
            return entry["directory"], without_output(words)
    return None, None


def without_output(words):
    if os.path.basename(words[0]) == "ccache":
        words = words[1:]
    kept = [words[0]]
    skip_next = False
    for word in words[1:]:
        if skip_next:
            skip_next = False
        elif word in ("-o", "-c", "-MF", "-MT", "-MQ"):
            skip_next = True
        elif word in ("-MD", "-MMD") or word.endswith(".cpp"):
            pass
        else:
            kept.append(word)
    return kept


def one_header(root, folder):
    names = sorted(n for n in os.listdir(os.path.join(root, folder)) if n.endswith(".h"))
    return f"{folder}/{names[0]}" if names else None


def run(directory, command, source):
    result = subprocess.run(command + ["-fsyntax-only", "-x", "c++", source], cwd=directory,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.returncode, result.stdout


def check_all(entries, root, headers, scratch):
    failures = []
    for library, visible in SEES.items():
        directory, command = compile_command(entries, root, library)
        if command is None:
            failures.append(f"{library}: no compile command in the build")
            continue
        checks = []
        for folder in FOLDERS:
            header = headers[folder]
            if header is None:
                continue
            expected = 1 if folder in visible else 0
            word = "see" if expected else "not see"
            checks.append(f'#if __has_include("{header}") != {expected}\n'
                          f'#error {library} must {word} {folder}/\n#endif\n')
        source = os.path.join(scratch, f"{library}_sets.cpp")
        with open(source, "w", encoding="utf-8") as f:
            f.write("".join(checks))
        code, output = run(directory, command, source)
        if code != 0:
            failures.append(f"{library}: wrong include set\n{output}")
        for folder in FOLDERS:
            if folder in visible or headers[folder] is None:
                continue
            source = os.path.join(scratch, f"{library}_includes_{folder}.cpp")
            with open(source, "w", encoding="utf-8") as f:
                f.write(f'#include "{headers[folder]}"\n')
            code, output = run(directory, command, source)
            refused = "No such file" in output or "file not found" in output
            if code == 0 or not refused:
                failures.append(f"{library}: the compiler did not refuse "
                                f"#include \"{headers[folder]}\"\n{output}")
    return failures


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    root = os.path.realpath(sys.argv[1])
    with open(sys.argv[2], encoding="utf-8") as f:
        entries = json.load(f)
    headers = {folder: one_header(root, folder) for folder in FOLDERS}
    with tempfile.TemporaryDirectory(prefix="include-sets-") as scratch:
        failures = check_all(entries, root, headers, scratch)
    if failures:
        print("\n".join(failures))
        return 1
    print("every library's compiler sees its own folder and the folders below it, and no other")
    return 0


if __name__ == "__main__":
    sys.exit(main())
