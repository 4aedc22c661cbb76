#!/usr/bin/env python3
"""Copies C++ sources with every narrow literal in code page 932, for a compiler without
-fexec-charset (clang keeps literals in UTF-8).

    cp932_literals.py SOURCE_ROOT OUT_ROOT FILE...    (FILE relative to SOURCE_ROOT)

A narrow string or character literal holding characters beyond ASCII gets them as octal
escapes of their code page 932 bytes, converted by the system's iconv as g++ converts them.
Escapes, not the bytes themselves: a trail byte may be 0x5C, which a literal reads as "\".
Octal escapes end after three digits, so a digit after one stays a character of its own.
A raw literal holding such characters becomes an ordinary one. Comments, u8/u/U/L literals
and files without such literals are copied as they are. A file whose copy is unchanged is not
written, so that nothing is compiled again for it.
"""
import os
import re
import subprocess
import sys

PREFIX = re.compile(r'(u8|u|U|L)?(R)?$')


def to_cp932(runs, path):
    """The code page 932 bytes of each run, in one call of iconv."""
    if not runs:
        return []
    joined = '\n'.join(runs).encode('utf-8')  # 0x0A is never part of a double-byte character
    result = subprocess.run(['iconv', '-f', 'UTF-8', '-t', 'CP932'], input=joined, capture_output=True)
    if result.returncode != 0:
        sys.exit(f'{path}: a literal has a character code page 932 cannot hold: {result.stderr.decode().strip()}')
    converted = result.stdout.split(b'\n')
    assert len(converted) == len(runs)
    return converted


def octal(data):
    return ''.join(f'\\{b:03o}' for b in data)


def raw_char(ch):
    """A character of a raw literal as an ordinary literal spells it."""
    if ch in '\\"':
        return '\\' + ch
    if ch.isascii() and not ch.isprintable():
        return octal(ch.encode())
    return ch


def literals(text):
    """(start, end, prefix, raw) of every literal outside comments, in order."""
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith('//', i):
            i = text.find('\n', i)
            i = n if i < 0 else i
        elif text.startswith('/*', i):
            i = text.find('*/', i + 2)
            i = n if i < 0 else i + 2
        elif c in '"\'':
            word = re.search(r'[A-Za-z0-9_]*$', text[max(0, i - 3):i]).group()
            prefix = PREFIX.search(word) if word and PREFIX.fullmatch(word) else None
            if c == "'" and word and not prefix:  # a digit separator: 1'000
                i += 1
                continue
            encoding, raw = (prefix.group(1), prefix.group(2)) if prefix else (None, None)
            start = i - len(word) if prefix else i
            if raw:
                delimiter = text[i + 1:text.index('(', i)]
                end = text.index(')' + delimiter + '"', i) + len(delimiter) + 2
            else:
                end = i + 1
                while text[end] != c:
                    end += 2 if text[end] == '\\' else 1
                end += 1
            yield start, end, encoding, raw
            i = end
        else:
            i += 1


def rewrite(text, path):
    pieces = []  # (start, end, literal text with runs beyond ASCII marked)
    for start, end, encoding, raw in literals(text):
        body = text[start:end]
        if encoding or body.isascii():
            continue
        if raw:
            inner = body[body.index('(') + 1:body.rindex(')')]
            body = '"' + ''.join(raw_char(ch) for ch in inner) + '"'
        pieces.append((start, end, body))
    if not pieces:
        return text
    runs = [run for _, _, body in pieces for run in re.findall(r'[^\x00-\x7f]+', body)]
    converted = iter(to_cp932(runs, path))
    out, at = [], 0
    for start, end, body in pieces:
        out.append(text[at:start])
        out.append(re.sub(r'[^\x00-\x7f]+', lambda m: octal(next(converted)), body))
        at = end
    out.append(text[at:])
    return ''.join(out)


def main():
    source_root, out_root, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    for name in files:
        with open(os.path.join(source_root, name), encoding='utf-8') as f:
            text = f.read()
        copy = rewrite(text, name)
        target = os.path.join(out_root, name)
        try:
            with open(target, encoding='utf-8') as f:
                if f.read() == copy:
                    continue
        except FileNotFoundError:
            os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, 'w', encoding='utf-8') as f:
            f.write(copy)


main()
