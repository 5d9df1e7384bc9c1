#!/usr/bin/env python3
"""Writes jet/util/code_page_tables.cc: the Windows code pages 1250-1254, 1257, 932, 936, 949 and
950 as MultiByteToWideChar(page, 0, ...) converts them to UTF-16. Run by hand; its output is
committed, the build does not run it.

  tools/codepages/generate.py --codepage-package DIR [--out FILE]
  tools/codepages/generate.py --codepage-package DIR --verify PROBE_OUTPUT_DIR

PROBE_OUTPUT_DIR holds windows_probe.c's output (its head comment says how to build and run it).
--verify decodes every probed input from the tables as written, the way jet/util/code_page.cc
does, and prints each page's count of differences from Windows.

Where the data comes from (the Unicode consortium's mapping files, MAPPINGS/VENDORS/MICSFT/
WINDOWS/CPnnnn.TXT, by way of two copies that can be had here):
  - single-byte pages: CPython's Lib/encodings/cp1250.py ... cp1257.py, each of which says it was
    "generated from 'MAPPINGS/VENDORS/MICSFT/WINDOWS/CPnnnn.TXT' with gencodec.py"; read from the
    Python that runs this script (its decoding_table; U+FFFE marks a byte the file leaves out);
  - double-byte pages: the npm package codepage 1.15.0 (SheetJS), files bits/932.js, 936.js,
    949.js and 950.js, which its README lists as generated from the unicode.org files
    (`npm pack codepage@1.15.0 && tar xzf codepage-1.15.0.tgz`, then DIR is package/). Each
    bits/N.js holds D[lead] = a 256-character string per lead byte (D[0]: the single bytes), with
    U+FFFD where the file has no character.

Where Windows differs from those files (found by windows_probe.c under Wine 8.0, Debian's
wine64, and applied below so that --verify finds no difference):
  - single-byte: a byte the file leaves out becomes the C1 control of the same value (cp1252
    0x81, 0x8D, 0x8F, 0x90, 0x9D -> U+0081 ...), except cp1253 0xAA, 0xD2, 0xFF -> U+F8F9,
    U+F8FA, U+F8FB and cp1257 0xA1, 0xA5 -> U+F8FC, U+F8FD (private use);
  - double-byte, single bytes: 0x80 is U+0080 (cp936 has the euro sign there, as its file says);
    cp932 0xA0, 0xFD, 0xFE, 0xFF -> U+F8F0, U+F8F1, U+F8F2, U+F8F3; 0xFF in cp936, cp949, cp950
    -> U+F8F5, U+F8F7, U+F8F8;
  - double-byte, user-defined areas (EUDC_RANGES): Windows maps them onto the private use area
    from U+E000 in order; cp936 then gives every pair still left out the next private use
    character, in the pairs' order (A2AB ... FEA0, up to U+E864);
  - a lead byte the file gives no pair for, outside the user-defined areas, is a lead byte all
    the same (cp932 0x85, 0x86, 0xEB, 0xEC, 0xEF): its pairs are undefined;
  - an undefined pair (a trail byte outside the page's trail bytes, or a pair the file leaves
    out) becomes one default character, U+30FB (katakana middle dot) in cp932, '?' in the others,
    and the trail byte is consumed with the lead whatever it is, except 0x00: a lead byte followed
    by 0x00, or by nothing (the end of the text), becomes the default character alone, and the
    0x00 is then read as a character of its own. Without MB_ERR_INVALID_CHARS none of this fails.
Inputs --verify finds differing from Windows with the files alone (what they leave out taken as
the default character) and with those rules: 1250 5 -> 0, 1251 1 -> 0, 1252 5 -> 0,
1253 17 -> 0, 1254 7 -> 0, 1257 12 -> 0 (of 256 bytes each); 932 1,885 -> 0 (of 15,616 bytes and
pairs), 936 2,150 -> 0, 949 190 -> 0, 950 6,219 -> 0 (of 32,512 each).

The output's layout: for each page 128 UTF-16 units for the bytes 0x80-0xFF (0x00-0x7F are
ASCII on every page); for a double-byte page also, per lead byte, the run of trail bytes from its
first to its last defined one (a row: offset into the page's pairs, first trail, count) and the
pairs themselves.
"""

import argparse
import importlib
import json
import os
import re
import sys

SINGLE_BYTE = (1250, 1251, 1252, 1253, 1254, 1257)
DOUBLE_BYTE = (932, 936, 949, 950)

# Windows' lead bytes (IsDBCSLeadByteEx; --verify compares them with the probe's).
LEAD_BYTES = {
    932: list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)),
    936: list(range(0x81, 0xFF)),
    949: list(range(0x81, 0xFF)),
    950: list(range(0x81, 0xFF)),
}
DEFAULT_CHAR = {932: 0x30FB, 936: 0x3F, 949: 0x3F, 950: 0x3F}

# Windows' single bytes that the files leave out (see the head comment).
SINGLE_BYTE_EXTRAS = {
    1253: {0xAA: 0xF8F9, 0xD2: 0xF8FA, 0xFF: 0xF8FB},
    1257: {0xA1: 0xF8FC, 0xA5: 0xF8FD},
    932: {0x80: 0x80, 0xA0: 0xF8F0, 0xFD: 0xF8F1, 0xFE: 0xF8F2, 0xFF: 0xF8F3},
    936: {0xFF: 0xF8F5},
    949: {0x80: 0x80, 0xFF: 0xF8F7},
    950: {0x80: 0x80, 0xFF: 0xF8F8},
}

# User-defined areas: (first lead, last lead, trail bytes), mapped in this order onto
# consecutive private use characters from U+E000, rows one after another, each row's trail bytes
# in order (None: all the page's trail bytes, TRAILS).
TRAILS = {
    932: [t for t in range(0x40, 0xFD) if t != 0x7F],
    936: [t for t in range(0x40, 0xFF) if t != 0x7F],
    950: list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF)),
}
EUDC_RANGES = {
    932: [(0xF0, 0xF9, None)],
    936: [(0xAA, 0xAF, range(0xA1, 0xFF)), (0xF8, 0xFE, range(0xA1, 0xFF)),
          (0xA1, 0xA7, [t for t in range(0x40, 0xA1) if t != 0x7F])],
    949: [(0xC9, 0xC9, range(0xA1, 0xFF)), (0xFE, 0xFE, range(0xA1, 0xFF))],
    950: [(0xFA, 0xFE, None), (0x8E, 0xA0, None), (0x81, 0x8D, None),
          (0xC6, 0xC6, range(0xA1, 0xFF)), (0xC7, 0xC8, None)],
}
# Pages where, after those areas, every pair still without a character takes the next private
# use character, in the pairs' order.
FILL_HOLES = (936,)

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def single_byte_source(page):
    module = importlib.import_module(f"encodings.cp{page}")
    with open(module.__file__, encoding="utf-8") as f:
        head = f.readline()
    if f"MAPPINGS/VENDORS/MICSFT/WINDOWS/CP{page}.TXT" not in head:
        sys.exit(f"{module.__file__} does not say it comes from CP{page}.TXT")
    table = module.decoding_table
    assert len(table) == 256
    return {b: ord(c) for b, c in enumerate(table) if c != "\ufffe"}


def double_byte_source(package, page):
    """{byte: unit} for the single bytes and {(lead, trail): unit} for the pairs of bits/N.js."""
    path = os.path.join(package, "bits", f"{page}.js")
    with open(path, encoding="utf-8") as f:
        text = f.read()
    decoder = json.JSONDecoder(strict=False)
    singles, pairs = {}, {}
    for m in re.finditer(r'D\[(\d+)\] = ', text):
        lead = int(m.group(1))
        row, _ = decoder.raw_decode(text, m.end())
        chars = list(row)  # the .split("") after it: one character per byte
        if len(chars) != 256:
            sys.exit(f"{path}: row {lead} holds {len(chars)} characters")
        for trail, c in enumerate(chars):
            if c == "\ufffd":
                continue
            if lead == 0:
                singles[trail] = ord(c)
            else:
                pairs[(lead, trail)] = ord(c)
    return singles, pairs


def windows_single_byte(page):
    """The 256 units Windows gives each byte of a single-byte page."""
    source = single_byte_source(page)
    units = [source.get(b, b) for b in range(256)]
    for b, u in SINGLE_BYTE_EXTRAS.get(page, {}).items():
        units[b] = u
    return units


def windows_double_byte(package, page, with_windows_rules=True):
    """(units for the single bytes, {(lead, trail): unit} for every defined pair, lead bytes)."""
    singles, pairs = double_byte_source(package, page)
    leads = LEAD_BYTES[page]
    for lead, _ in pairs:
        if lead not in leads:
            sys.exit(f"cp{page}: a pair with lead byte {lead:02X}, which the page does not declare")
    default = DEFAULT_CHAR[page]
    units = [singles.get(b, default if b in leads else 0xFFFD) for b in range(256)]
    if with_windows_rules:
        for b, u in SINGLE_BYTE_EXTRAS.get(page, {}).items():
            units[b] = u
        if 0xFFFD in units:
            sys.exit(f"cp{page}: byte {units.index(0xFFFD):02X} has no character")
        pua = 0xE000
        for first_lead, last_lead, trails in EUDC_RANGES.get(page, []):
            for lead in range(first_lead, last_lead + 1):
                for trail in TRAILS[page] if trails is None else trails:
                    if (lead, trail) in pairs:
                        sys.exit(f"cp{page}: user-defined {lead:02X}{trail:02X} has a character")
                    pairs[(lead, trail)] = pua
                    pua += 1
        if page in FILL_HOLES:
            for lead in leads:
                for trail in TRAILS[page]:
                    if (lead, trail) not in pairs:
                        pairs[(lead, trail)] = pua
                        pua += 1
    return units, pairs, leads


def compressed(package, page):
    """The tables as written: (units of 0x80-0xFF, rows, pairs, default character), where rows
    holds per byte (offset into pairs, first trail, count, lead byte) for a double-byte page."""
    if page in SINGLE_BYTE:
        units = windows_single_byte(page)
        assert units[:128] == list(range(128))
        return units[128:], None, None, None
    units, pairs, leads = windows_double_byte(package, page)
    assert units[:128] == list(range(128))
    default = DEFAULT_CHAR[page]
    data, rows = [], []
    for lead in range(256):
        if lead not in leads:
            rows.append((0, 0, 0, False))
            continue
        if units[lead] != default:
            sys.exit(f"cp{page}: lead byte {lead:02X} alone is not the default character")
        trails = [t for t in range(1, 256) if (lead, t) in pairs]
        if not trails:
            rows.append((0, 0, 0, True))
            continue
        first, last = trails[0], trails[-1]
        rows.append((len(data), first, last - first + 1, True))
        data += [pairs.get((lead, t), default) for t in range(first, last + 1)]
    return units[128:], rows, data, default


def decode(tables, text):
    """What jet/util/code_page.cc makes of text with these tables, step for step."""
    high, rows, data, default = tables
    out, i = [], 0
    while i < len(text):
        b = text[i]
        i += 1
        if b < 0x80:
            out.append(b)
        elif rows is None or not rows[b][3]:
            out.append(high[b - 0x80])
        elif i == len(text) or text[i] == 0:
            out.append(default)
        else:
            offset, first, count, _ = rows[b]
            t = text[i]
            i += 1
            out.append(data[offset + t - first] if first <= t < first + count else default)
    return out


def expected(package, page, with_windows_rules=True):
    """What MultiByteToWideChar gives, in the probe's terms: {input bytes: [units]}."""
    result = {}
    if page in SINGLE_BYTE:
        units = windows_single_byte(page) if with_windows_rules else [
            single_byte_source(page).get(b, 0xFFFD) for b in range(256)]
        for b in range(256):
            result[bytes([b])] = [units[b]]
        return result, []
    units, pairs, leads = windows_double_byte(package, page, with_windows_rules)
    default = DEFAULT_CHAR[page]
    for b in range(256):
        result[bytes([b])] = [units[b]]
    for lead in leads:
        for trail in range(256):
            if trail == 0:
                got = [default, 0]
            else:
                got = [pairs.get((lead, trail), default)]
            result[bytes([lead, trail])] = got
    return result, leads


def read_probe(directory, page):
    path = os.path.join(directory, f"cp{page}.txt")
    result, leads = {}, []
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.strip()
            if not line:
                continue
            if line.startswith("lead "):
                leads.append(int(line[5:], 16))
                continue
            key, units = line.split(":")
            result[bytes.fromhex(key)] = ["-"] if units.split() == ["-"] else [
                int(u, 16) for u in units.split()]
    return result, leads


def verify(package, directory):
    total = 0
    for page in SINGLE_BYTE + DOUBLE_BYTE:
        probed, probed_leads = read_probe(directory, page)
        raw, _ = expected(package, page, with_windows_rules=False)
        _, leads = expected(package, page)
        tables = compressed(package, page)
        before = sum(1 for k, v in probed.items() if raw.get(k) != v)
        after = [k for k, v in probed.items() if decode(tables, k) != v]
        if probed_leads != leads:
            after.append(b"")
            print("  the lead bytes differ")
        print(f"cp{page}: {len(probed)} inputs probed, {before} differ from the source file, "
              f"{len(after)} from the generated table")
        for k in after[:20]:
            print(f"  {k.hex().upper()}: Windows {probed.get(k)}, table {decode(tables, k)}")
        total += len(after)
    return total == 0


def units_literal(units, per_line=12, indent="    "):
    lines = []
    for i in range(0, len(units), per_line):
        lines.append(indent + ", ".join(f"0x{u:04X}" for u in units[i:i + per_line]) + ",")
    return "\n".join(lines)


def generate(package):
    out = [
        "// Generated by tools/codepages/generate.py from the Unicode consortium's Windows code page",
        "// mapping files with Windows' own differences; do not edit. That script's head comment says",
        "// where the data came from and how it was checked against MultiByteToWideChar.",
        '#include "jet/util/code_page_tables.h"',
        "",
        "namespace jet::code_page_tables {",
        "namespace {",
        "",
    ]
    entries = []
    for page in SINGLE_BYTE:
        high, _, _, _ = compressed(package, page)
        out += [f"constexpr char16_t kHigh{page}[128] = {{", units_literal(high), "};", ""]
        entries.append(f"    {{{page}, kHigh{page}, nullptr, nullptr, 0}},")
    for page in DOUBLE_BYTE:
        high, rows, data, default = compressed(package, page)
        rows = [f"{{{o}, 0x{f:02X}, {c}, true}}" if lead else "{}" for o, f, c, lead in rows]
        out += [f"constexpr char16_t kHigh{page}[128] = {{", units_literal(high), "};", ""]
        out += [f"constexpr char16_t kPairs{page}[{len(data)}] = {{", units_literal(data), "};", ""]
        out += [f"constexpr LeadRow kRows{page}[256] = {{"]
        line = ""
        for row in rows:
            if len(line) + len(row) > 96:
                out.append("    " + line.rstrip())
                line = ""
            line += row + ", "
        out.append("    " + line.rstrip())
        out += ["};", ""]
        entries.append(f"    {{{page}, kHigh{page}, kRows{page}, kPairs{page}, 0x{default:04X}}},")
    out += [
        "constexpr Table kTables[] = {",
        *entries,
        "};",
        "",
        "}  // namespace",
        "",
        "std::span<const Table> tables() { return kTables; }",
        "",
        "}  // namespace jet::code_page_tables",
        "",
    ]
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--codepage-package", required=True,
                        help="the unpacked npm package codepage 1.15.0 (its package/ folder)")
    parser.add_argument("--out", default=os.path.join(ROOT, "jet", "util", "code_page_tables.cc"))
    parser.add_argument("--verify", metavar="PROBE_OUTPUT_DIR",
                        help="compare with windows_probe's output instead of writing the table")
    args = parser.parse_args()
    if args.verify:
        sys.exit(0 if verify(args.codepage_package, args.verify) else 1)
    with open(args.out, "w", encoding="ascii", newline="\n") as f:
        f.write(generate(args.codepage_package))


if __name__ == "__main__":
    main()
