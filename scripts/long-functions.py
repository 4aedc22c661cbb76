#!/usr/bin/env python3
"""Lists the C++ functions longer than a limit (default 80 lines), longest first.

Usage: scripts/long-functions.py [--limit N] [folder or file ...]   (default: src)
A function's length runs from the first line of its head to its closing brace. Lambdas and
local classes count as part of the function they stand in.
"""
import os
import re
import sys

CONTROL = re.compile(r"^(if|for|while|switch|catch|do|else|return|case)\b|=\s*$|\[[^\]]*\]\s*(\([^)]*\))?\s*(mutable\s*)?(->[^{]*)?$")
NOT_FUNCTION = re.compile(r"\b(namespace|class|struct|union|enum)\b[^()]*$|^extern\s+\"\"")
# A brace that initialises a member in a constructor's list: `Foo() : a_(1), b_{2} {`.
MEMBER_BRACE = re.compile(r"\)\s*(noexcept\s*)?:\s*[^{]*[\w>]$")


def strip(text):
    """Comments, strings and character literals blanked, line breaks kept."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        elif c == 'R' and text.startswith('R"', i):
            m = re.match(r'R"([^(]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append('""' + "\n" * text.count("\n", i, j))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def functions(path):
    text = strip(open(path, encoding="utf-8", errors="replace").read())
    # Preprocessor lines say nothing about braces.
    text = "\n".join("" if l.lstrip().startswith("#") else l for l in text.split("\n"))
    stack = []  # per open brace: True when it opens a function body at the outermost level
    head_start = 0  # where the text before the next brace begins
    line = 1
    in_function = 0
    parens = 0  # outside functions: a brace inside parentheses is an argument's (a lambda's)
    for i, c in enumerate(text):
        if c == "\n":
            line += 1
        elif c in "()" and not in_function:
            parens += 1 if c == "(" else -1
        elif c == ";":
            if not in_function and parens == 0:
                head_start = i + 1
        elif c == "{":
            if not in_function:
                head = text[head_start:i]
                flat = " ".join(head.split())
                if parens > 0 or MEMBER_BRACE.search(flat):
                    stack.append((None, None, line))
                    continue
                if ")" in flat and not CONTROL.search(flat) and not NOT_FUNCTION.search(flat):
                    name = re.search(r"([~\w:]+(?:operator\s*\S+)?)\s*\(", flat)
                    lead = head[: len(head) - len(head.lstrip())]
                    first = line - head.count("\n") + lead.count("\n")
                    stack.append((True, name.group(1) if name else flat[:40], first))
                    in_function += 1
                    continue
            stack.append((False, None, line))
            if not in_function:
                head_start = i + 1
        elif c == "}":
            if not stack:
                continue
            is_function, name, first = stack.pop()
            if is_function is None:
                continue  # a member's initialiser: the head goes on
            if is_function:
                in_function -= 1
                yield name, first, line
            if not in_function:
                head_start = i + 1


def main(argv):
    limit = 80
    if argv[:1] == ["--limit"]:
        limit, argv = int(argv[1]), argv[2:]
    roots = argv or ["src"]
    rows = []
    for root in roots:
        paths = [root] if os.path.isfile(root) else [
            os.path.join(d, f) for d, _, fs in os.walk(root) for f in fs if f.endswith((".cpp", ".h", ".cc", ".hpp"))]
        for path in sorted(paths):
            for name, first, last in functions(path):
                length = last - first + 1
                if length > limit:
                    rows.append((length, path, first, name))
    for length, path, first, name in sorted(rows, key=lambda r: (-r[0], r[1], r[2])):
        print(f"{length:4d}  {path}:{first}  {name}")


if __name__ == "__main__":
    main(sys.argv[1:])
