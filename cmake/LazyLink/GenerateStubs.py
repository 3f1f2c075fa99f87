#!/usr/bin/env python3
"""Writes the first-call stubs of a lazily linked program (see cmake/LazyLink.cmake).

For every function that the program's archives call and one of the lazy libraries exports, the output
source defines a function of that name (hidden, so that it stays inside the program) that jumps through a
slot. The slot starts at a per-function entry that hands the function's index to the common entry, which
saves the argument registers, asks Resolver.cpp for the real address (the library is opened on that first
call), keeps it in the slot and jumps there with the registers as the caller left them. From then on a call
costs one indirect jump.

Only functions can be reached this way: a data symbol of a lazy library that the program uses stops the
build with its name, as does a library that has no soname. x86-64 only.
"""

import argparse
import subprocess
import sys
from pathlib import Path

# nm's letters for symbols that are code: text, weak, indirect functions.
FUNCTION_TYPES = {"T", "t", "W", "i"}


def run(command):
    result = subprocess.run(command, capture_output=True, text=True, check=False)
    if result.returncode != 0:
        sys.exit(f"GenerateStubs.py: {' '.join(command)} failed:\n{result.stderr}")
    return result.stdout


def posix_symbols(nm_output):
    """(name, type) of each line of `nm -P`, the version suffix of a dynamic symbol cut off."""
    for line in nm_output.splitlines():
        fields = line.split()
        if len(fields) < 2 or line.endswith(":"):
            continue
        yield fields[0].split("@", 1)[0], fields[1]


def used_symbols(nm, objects):
    """The names that the objects and archives call without defining them among themselves."""
    undefined, defined = set(), set()
    for path in objects:
        for name, kind in posix_symbols(run([nm, "-P", "-g", path])):
            (undefined if kind == "U" else defined).add(name)
    return undefined - defined


def soname(readelf, library):
    for line in run([readelf, "-d", library]).splitlines():
        if "(SONAME)" in line and "[" in line:
            return line[line.index("[") + 1 : line.rindex("]")]
    sys.exit(f"GenerateStubs.py: {library} has no soname, so it cannot be opened by name")


def assign(nm, readelf, libraries, needed):
    """{name: soname} for the needed names, each from the first library (in link order) exporting it."""
    owners, problems = {}, []
    for library in libraries:
        name_of_library = soname(readelf, library)
        for name, kind in posix_symbols(run([nm, "-D", "-P", "--defined-only", library])):
            if name not in needed or name in owners:
                continue
            if kind in FUNCTION_TYPES:
                owners[name] = name_of_library
            else:
                problems.append(f"{name} is data of {name_of_library}")
    if problems:
        sys.exit("GenerateStubs.py: only functions can be reached through a stub:\n  " + "\n  ".join(problems))
    return owners


def assembly(names):
    lines = [
        '    .pushsection .text.zq_lazy_link,"ax",@progbits',
        # The common entry: [rsp] is the function's index, [rsp + 8] the caller's return address.
        "    .p2align 4",
        "    .type zq_lazy_link_enter,@function",
        "zq_lazy_link_enter:",
        "    .cfi_startproc",
        "    .cfi_def_cfa_offset 16",
        "    pushq %rbp",
        "    .cfi_def_cfa_offset 24",
        "    .cfi_offset %rbp, -24",
        "    movq %rsp, %rbp",
        "    .cfi_def_cfa_register %rbp",
        # The integer argument registers, rax (the vector-register count of a variadic call) and r10.
        "    pushq %rdi",
        "    pushq %rsi",
        "    pushq %rdx",
        "    pushq %rcx",
        "    pushq %r8",
        "    pushq %r9",
        "    pushq %rax",
        "    pushq %r10",
        "    subq $128, %rsp",
        "    andq $-16, %rsp",
    ]
    lines += [f"    movdqa %xmm{i}, {16 * i}(%rsp)" for i in range(8)]
    lines += [
        "    movq 8(%rbp), %rdi",
        "    call zq_lazy_link_resolve",
        "    movq %rax, %r11",
    ]
    lines += [f"    movdqa {16 * i}(%rsp), %xmm{i}" for i in range(8)]
    lines += [
        "    leaq -64(%rbp), %rsp",
        "    popq %r10",
        "    popq %rax",
        "    popq %r9",
        "    popq %r8",
        "    popq %rcx",
        "    popq %rdx",
        "    popq %rsi",
        "    popq %rdi",
        "    popq %rbp",
        "    .cfi_def_cfa %rsp, 16",
        "    addq $8, %rsp",
        "    .cfi_def_cfa_offset 8",
        "    jmp *%r11",
        "    .cfi_endproc",
        "    .size zq_lazy_link_enter, .-zq_lazy_link_enter",
    ]
    for index, name in enumerate(names):
        lines += [
            "    .p2align 4",
            f"    .globl {name}",
            f"    .hidden {name}",
            f"    .type {name},@function",
            f"{name}:",
            "    endbr64",
            f"    jmp *zq_lazy_link_slots+{8 * index}(%rip)",
            f".Lzq_lazy_link_entry_{index}:",
            "    endbr64",
            f"    pushq ${index}",
            "    jmp zq_lazy_link_enter",
            f"    .size {name}, .-{name}",
        ]
    lines += [
        "    .popsection",
        "    .pushsection .data.zq_lazy_link,\"aw\",@progbits",
        "    .p2align 3",
        "    .globl zq_lazy_link_slots",
        "    .hidden zq_lazy_link_slots",
        "    .type zq_lazy_link_slots,@object",
        "zq_lazy_link_slots:",
    ]
    lines += [f"    .quad .Lzq_lazy_link_entry_{index}" for index in range(len(names))]
    lines += [
        "    .quad 0",
        "    .size zq_lazy_link_slots, .-zq_lazy_link_slots",
        "    .popsection",
    ]
    return lines


def source(owners):
    names = sorted(owners, key=lambda name: (owners[name], name))
    libraries = sorted(set(owners.values()))
    text = [
        "// Written by cmake/LazyLink/GenerateStubs.py for one program: its first-call stubs. Not to be edited.",
        '#include "LazyLink.h"',
        "",
        "const char* const zq_lazy_link_libraries[] = {",
    ]
    text += [f'    "{library}",' for library in libraries]
    text += ["    nullptr,", "};", "", "const ZQLazyLink::Symbol zq_lazy_link_symbols[] = {"]
    text += [f'    {{"{name}", {libraries.index(owners[name])}}},' for name in names]
    text += ["    {nullptr, 0},", "};", "", "asm(R\"(" ]
    text += assembly(names)
    text += [")\");", ""]
    return "\n".join(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--nm", required=True)
    parser.add_argument("--readelf", required=True)
    parser.add_argument("--output", required=True, type=Path)
    parser.add_argument("--objects", nargs="*", default=[], help="the archives and objects that call")
    parser.add_argument("--libraries", nargs="*", default=[], help="the lazy libraries, in link order")
    arguments = parser.parse_args()

    needed = used_symbols(arguments.nm, arguments.objects)
    text = source(assign(arguments.nm, arguments.readelf, arguments.libraries, needed))
    # Unchanged stubs keep their timestamp, so that the program is not linked again for nothing.
    if not arguments.output.exists() or arguments.output.read_text() != text:
        arguments.output.write_text(text)


if __name__ == "__main__":
    main()
