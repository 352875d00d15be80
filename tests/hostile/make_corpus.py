#!/usr/bin/env python3
"""Writes a corpus of damaged and hostile launcher files.

    make_corpus.py STUB OUTDIR

Each case is STUB (mglauncher.exe) followed by embedded bytes, a file index
and the 8-byte trailer, built by hand so that every field can be wrong in a
way mgpack refuses to write. OUTDIR receives CASE.exe per case and
cases.txt, one line per case: the name, then for the plain run and for the
-mg:extract run an extended regular expression that a line of the log must
match, separated by tabs.
"""
import os
import struct
import sys

MAGIC = 0xCA82CA82
INSTRUCTIONS, JVM_FILE, LAUNCH_SCRIPT, CLASSPATH, INSTALLER, VERIFY, APPLICATION, EMBEDDED = range(8)

# The messages the launcher gives, as extended regular expressions for one
# line of the log. The driver puts its prefix before the index reader's and
# the extraction's own texts.
ERR = "^ERROR: "
INDEX = ERR + r"Unable to load the launcher file index\. "
EXTRACT = ERR + r"Unable to extract embedded files from the launcher\. "
REFUSED = r'Refusing to extract the embedded file "%s": its name must not hold a path, a drive or "\.\."\.$'
ENDS_INSIDE = r"The launcher file ends inside the embedded file %s\.$"
WRITE_ERROR = r"Error writing file = [0-9]* There may not be enough temporary disk space"
# A launcher without a program does nothing more than log its index.
ENTRY = r"^  file name: %s$"


def u32(v):
    return struct.pack(">I", v & 0xFFFFFFFF)


def record(ftype, fid, length, offset, name):
    return bytes([ftype]) + u32(fid) + u32(length) + u32(offset) + struct.pack(">H", len(name) & 0xFFFF) + name


class Launcher:
    """The stub with blobs appended; records refer to blobs by offset."""

    def __init__(self, stub):
        self.data = bytearray(stub)

    def add(self, content):
        offset = len(self.data)
        self.data += content
        return offset

    def finish(self, index, index_offset=None, tail=None):
        at = len(self.data)
        self.data += index
        self.data += tail if tail is not None else u32(at if index_offset is None else index_offset) + u32(MAGIC)
        return bytes(self.data)


def program(*statements):
    return ("INSTRUCTIONS:\n" + "".join("  %s\n" % s for s in statements) + "/:\n").encode()


def single(stub, ftype, name, content, count=None, **kw):
    """A launcher with one entry (plus, with kw['program'], an instructions
    program before it)."""
    lf = Launcher(stub)
    records = b""
    n = 0
    if "program" in kw:
        text = kw["program"]
        records += record(INSTRUCTIONS, 0, len(text), lf.add(text), b"instructions.txt")
        n += 1
    offset = lf.add(content)
    records += record(ftype, n, kw.get("length", len(content)), kw.get("offset", offset), name)
    n += 1
    return lf.finish(u32(n if count is None else count) + records)


def cases(stub):
    ok_program = program("SET S1 = ready")
    out = []

    def case(name, data, run, extract):
        out.append((name, data, run, extract))

    def both(name, data, expected):
        case(name, data, expected, expected)

    # Trailer and index.
    case("no-magic", stub + b"\0\0\0\0ABCD", "^$", "^$")
    both("index-offset-past-end", Launcher(stub).finish(b"", index_offset=0x7FFFFFF0),
         INDEX + r"Unable to read the file count\.$")
    both("index-offset-negative", Launcher(stub).finish(b"", index_offset=0xFFFFFFF8),
         INDEX + r"Invalid file index offset\.$")
    # The index starts 2 bytes before the end: the count is cut short.
    both("truncated-count", Launcher(stub).finish(b"", index_offset=len(stub) + 6),
         INDEX + r"Unable to read the file count\.$")
    lf = Launcher(stub)
    lf.add(ok_program)
    # The record's length field runs into the trailer, and the file ends in its offset.
    both("truncated-record", lf.finish(u32(1) + bytes([INSTRUCTIONS]) + u32(0) + u32(len(ok_program))[:2]),
         INDEX + r"Unable to load (offset to file bytes|the string value)\.$")
    lf = Launcher(stub)
    at = lf.add(ok_program)
    both("count-max", lf.finish(u32(0x7FFFFFFF) + record(INSTRUCTIONS, 0, len(ok_program), at, b"i.txt")),
         INDEX + r"(Unable to load .*|Invalid file type in file index\.)$")
    lf = Launcher(stub)
    at = lf.add(ok_program)
    both("count-negative", lf.finish(u32(0x80000000) + record(INSTRUCTIONS, 0, len(ok_program), at, b"i.txt")), "^$")
    both("type-8", single(stub, 8, b"x.txt", b"data"), INDEX + r"Invalid file type in file index\.$")
    both("type-255", single(stub, 255, b"x.txt", b"data"), INDEX + r"Invalid file type in file index\.$")
    many = b"".join(record(CLASSPATH, i, 0, len(stub), b"c%d.jar" % i) for i in range(3000))
    case("many-entries", Launcher(stub).finish(u32(3000) + many), ENTRY % r"c2999\.jar", ENTRY % r"c2999\.jar")

    # Offsets and lengths.
    case("offset-past-end", single(stub, INSTRUCTIONS, b"instructions.txt", ok_program, offset=0x7FFFFF00),
         ENTRY % r"instructions\.txt", EXTRACT + ENDS_INSIDE % r"instructions\.txt")
    case("offset-negative", single(stub, INSTRUCTIONS, b"instructions.txt", ok_program, offset=0xFFFFFF00),
         INDEX + r"Unable to read tag file\.$", EXTRACT + ENDS_INSIDE % r"instructions\.txt")
    case("length-negative", single(stub, INSTRUCTIONS, b"instructions.txt", ok_program, length=0x80000000),
         INDEX + r"Unable to read tag file\.$", ENTRY % r"instructions\.txt")
    case("archive-length-huge", single(stub, APPLICATION, b"app.jar", b"PK", length=0x7FFFFFFF),
         ENTRY % r"app\.jar", EXTRACT + "(%s|%s)" % (ENDS_INSIDE % r"app\.jar", WRITE_ERROR))
    case("archive-offset-past-end", single(stub, APPLICATION, b"app.jar", b"PK", offset=0x7FFFFFF0, length=100),
         ENTRY % r"app\.jar", EXTRACT + ENDS_INSIDE % r"app\.jar")
    # A program whose bytes are the index and the trailer.
    lf = Launcher(stub)
    at = len(lf.data)
    name = b"instructions.txt"
    case("overlap-index", lf.finish(u32(1) + record(INSTRUCTIONS, 0, 4 + 15 + len(name) + 8, at, name)),
         INDEX + r"Syntax error in instructions\.txt at line 1 ==> Missing colon at the end of the tag name\.$",
         ENTRY % r"instructions\.txt")

    # Names, refused before anything is written.
    for label, name in [("name-backslash", b"..\\evil.txt"), ("name-slash", b"../evil.txt"),
                        ("name-dotdot", b".."), ("name-dot", b"."), ("name-empty", b""),
                        ("name-drive", b"C:evil.txt"), ("name-absolute", b"\\evil.txt"),
                        ("name-unc", b"\\\\server\\share\\evil.txt"), ("name-dots-blanks", b". . ")]:
        shown = re_escape(name.decode())
        case(label, single(stub, APPLICATION, name, b"evil"), ENTRY % shown, EXTRACT + REFUSED % shown)
    # Device names: the bytes would go to the device, not to a file.
    for label, name in [("name-device-nul", b"NUL"), ("name-device-con", b"con.txt"), ("name-device-com", b"COM1.jar")]:
        shown = re_escape(name.decode())
        case(label, single(stub, APPLICATION, name, b"evil"), ENTRY % shown,
             EXTRACT + (r'Refusing to extract the embedded file "%s": its name is a device' + "'s" + r"\.$") % shown)
    # Names Windows does not take: refused before a file is tried. A line
    # feed ends the name (it stays in it); the rest of the record is never read.
    # The line feed breaks the log record in two; its first line is matched.
    case("name-line-feed", single(stub, APPLICATION, b"evil\n.txt", b"evil"), r"^  file name: ",
         EXTRACT + r'Refusing to extract the embedded file "evil$')
    for label, name in [("name-control-bytes", b"a\x01\x07\x1bb.txt"),
                        ("name-reserved-chars", b'a<b>c|d?e*"f.txt')]:
        case(label, single(stub, APPLICATION, name, b"evil"), r"^  file name: ",
             EXTRACT + r"Refusing to extract the embedded file .*its name holds a control character or one of")
    case("name-65535", single(stub, APPLICATION, b"A" * 65535, b"evil"), r"^  file name: ",
         EXTRACT + WRITE_ERROR)
    # A hostile second launcher or archive: the temporary directory made for
    # it must not be left behind.
    case("embedded-launcher-name",
         single(stub, EMBEDDED, b"..\\second.exe", stub, program=program("EXECUTE_LAUNCHER 1")),
         ERR + REFUSED % r"\.\.\\second\.exe", EXTRACT + REFUSED % r"\.\.\\second\.exe")
    case("embedded-launcher-cut",
         single(stub, EMBEDDED, b"second.exe", b"MZ", length=1000000, program=program("EXECUTE_LAUNCHER 1")),
         ERR + ENDS_INSIDE % r"second\.exe", EXTRACT + ENDS_INSIDE % r"second\.exe")

    # Tag files.
    # The line runs on into the index, so the colon is not its last byte and
    # the index bytes become the one statement.
    case("tag-no-line-end", single(stub, INSTRUCTIONS, b"instructions.txt", b"INSTRUCTIONS:"),
         ERR + r"Error in instructions\. Invalid command \(.*Line number \(1\)$",
         ENTRY % r"instructions\.txt")
    case("tag-one-long-line", single(stub, INSTRUCTIONS, b"instructions.txt", b"DESC: " + b"x" * 200000),
         ENTRY % r"instructions\.txt", ENTRY % r"instructions\.txt")
    case("tag-binary", single(stub, INSTRUCTIONS, b"instructions.txt", bytes(range(256)) * 64),
         INDEX + r"Syntax error in instructions\.txt at line [0-9]+ ==> ", ENTRY % r"instructions\.txt")
    case("tag-unclosed-quote",
         single(stub, INSTRUCTIONS, b"instructions.txt", b'INSTRUCTIONS:\n  "SET S1 = 1\n/:\n'),
         INDEX + "Expected double quote to end argument near ", ENTRY % r"instructions\.txt")
    case("jvm-file-garbage", single(stub, JVM_FILE, b"j.jvm", b"\0\0:\n\xff\xfe", program=ok_program),
         INDEX + r"Syntax error in j\.jvm at line ", ENTRY % r"j\.jvm")

    # Programs that loop by expansion.
    case("expansion-runaway",
         single(stub, INSTRUCTIONS, b"instructions.txt", program("SET S6 = @@S6@@@@", "SET S7 = @S6@")),
         ERR + r"Error in instructions\..*Variable references still expand after 1000 passes.* Line number \(2\)$",
         ENTRY % r"instructions\.txt")
    case("expansion-growth", single(stub, INSTRUCTIONS, b"instructions.txt",
                                    program("SET S1 = x", ":GROW", "SET S1 = @S1@@S1@", "GOTO GROW")),
         ERR + r"Error in instructions\..* characters\. Line number \(3\)$", ENTRY % r"instructions\.txt")
    case("expansion-label", single(stub, INSTRUCTIONS, b"instructions.txt",
                                   program("SET S3 = @@S3@@", "GOTO @S3@")),
         ERR + r"Error in instructions\. ", ENTRY % r"instructions\.txt")
    return out


def re_escape(text):
    return "".join("\\" + c if c in ".\\[]()*+?{}|^$" else c for c in text)


def padded(stub):
    """The stub with zero bytes appended up to a multiple of 256 whose upper
    bytes hold no line end (LF or CR). The cases' offsets are then that base
    plus a fixed amount, so a tag or index read that runs on into them meets
    the same line ends whatever the launcher's size."""
    base = (len(stub) + 255) // 256 * 256
    while any(b in (0x0A, 0x0D) for b in u32(base)[:3]):
        base += 256
    return stub + bytes(base - len(stub))


def main():
    stub_path, outdir = sys.argv[1], sys.argv[2]
    with open(stub_path, "rb") as f:
        stub = padded(f.read())
    os.makedirs(outdir, exist_ok=True)
    with open(os.path.join(outdir, "cases.txt"), "w") as table:
        for name, data, run, extract in cases(stub):
            with open(os.path.join(outdir, name + ".exe"), "wb") as f:
                f.write(data)
            table.write("%s\t%s\t%s\n" % (name, run, extract))


if __name__ == "__main__":
    main()
