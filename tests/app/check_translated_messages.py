#!/usr/bin/python3
"""Every message the sources pass to TranslateText or TranslateFormat as a literal is a key of the
[Messages] section of the default language file the build makes, so a translator sees it. A
message that is missing there stays English in every language.

Usage: check_translated_messages.py <source root> <default language file>
"""
import glob
import os
import re
import sys

root, language_file = sys.argv[1], sys.argv[2]
with open(language_file, encoding="utf-8") as f:
    text = f.read()
if "[Messages]" not in text:
    print(f"{language_file} has no [Messages] section")
    sys.exit(1)
# Keys are compared ignoring case, as TranslateText looks them up.
keys = {line.split("=", 1)[0].strip().lower()
        for line in text.split("[Messages]", 1)[1].splitlines() if "=" in line}

call = re.compile(r'Translate(?:Text|Format)\(\s*QStringLiteral\(((?:\s*"(?:[^"\\]|\\.)*")+)\s*\)',
                  re.S)
part = re.compile(r'"((?:[^"\\]|\\.)*)"')
missing = []
for layer in ("model", "runtime", "ui", "app", "widgets", "services"):
    for source in sorted(glob.glob(os.path.join(root, layer, "*.cpp"))):
        with open(source, encoding="utf-8") as f:
            code = f.read()
        for match in call.finditer(code):
            message = "".join(part.findall(match.group(1))).encode().decode("unicode_escape")
            # A message that spans lines is kept under a key with "/" for each line break.
            if message.strip() and message.replace("\r\n", "/").lower() not in keys:
                line = code.count("\n", 0, match.start()) + 1
                missing.append(f"{os.path.relpath(source, root)}:{line}: {message!r}")
if missing:
    print("Translated messages missing from the default language file's [Messages]:")
    print("\n".join(missing))
    print("Add them to DefaultLanguageMessages() (model/LanguageTable.cpp).")
    sys.exit(1)
