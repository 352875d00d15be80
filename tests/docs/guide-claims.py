#!/usr/bin/env python3
"""The vendor's guide's claims that the sources answer, one row each.

Each row of CLAIMS is a phrase of docs/vendor-guide.md (blanks and line
breaks as one space) and the check of what it says: when the phrase is
reworded the row fails too, so a changed claim cannot lose its check. The
ready JVM files' table is compared with jvm/jvmfiles row by row, and every
link of the guide must name a file and heading that exist.

What only a run can show is checked end to end instead: the guide's code
blocks (e2e.guide.*, e2e.ship.signed), the distribution table
(e2e.jvmfiles), the branding (e2e.ship.branding).

Usage: guide-claims.py SOURCE_DIR
"""
import os
import re
import sys

src = sys.argv[1]
failures = []


def read(*parts):
    with open(os.path.join(src, *parts), encoding="utf-8") as f:
        return f.read()


def flat(text):
    return re.sub(r"\s+", " ", text)


guide = read("docs", "vendor-guide.md")
# The source build the guide once held now has its own page, which the
# guide links to: its claims are checked there.
flat_guide = flat(guide + "\n" + read("docs", "building.md"))


def tags(*parts):
    """A tag file's values: TAG -> list (one value, or the lines up to /:)."""
    values, open_tag = {}, None
    for line in read(*parts).splitlines():
        if open_tag:
            if line.strip() == "/:":
                open_tag = None
            elif line.strip():
                values[open_tag].append(line.strip())
            continue
        m = re.match(r"^([A-Z0-9_]+):\s*(.*)$", line)
        if m:
            values[m.group(1)] = [m.group(2)] if m.group(2) else []
            if not m.group(2):
                open_tag = m.group(1)
    return values


JVMFILES = ("jvm", "jvmfiles")
READY = sorted(f for f in os.listdir(os.path.join(src, *JVMFILES)) if f.endswith(".jvm"))
ready = {name: tags(*JVMFILES, name) for name in READY}
OR_NEWER = [n for n in READY if n.endswith("-or-newer.jvm")]
EXACT = [n for n in READY if re.fullmatch(r"java\d+\.jvm", n)]
HINTED = [n for n in READY if n != "java-any.jvm"]


def version_of(name):
    v = re.match(r"java(\d+)", name).group(1)
    return "1.8" if v == "8" else v


def all_of(names, predicate):
    return [n for n in names if not predicate(ready[n])]


def manifest_has(*fragments):
    text = flat(read("resources", "launcher.manifest"))
    return [f for f in fragments if f not in text]


def cmake_defines(target):
    for root, _, files in os.walk(src):
        if "/build" in root or "/." in root:
            continue
        for f in files:
            if f == "CMakeLists.txt" or f.endswith(".cmake"):
                with open(os.path.join(root, f), encoding="utf-8") as text:
                    if re.search(r"add_(executable|custom_target|library|jar)\(\s*" + re.escape(target) + r"[\s)]",
                                 text.read()):
                        return True
    return False


# (phrase of the guide, what must hold: a list of what is wrong, empty when right)
CLAIMS = [
    ("`java8.jvm` | Java 8 (`java.specification.version` 1.8)",
     lambda: [] if ready["java8.jvm"]["JVM_PROPERTIES"][:1] == ["java.specification.version=1.8"] else ["java8.jvm"]),
    ("| exactly that version |",
     lambda: [n for n in EXACT if ready[n]["JVM_PROPERTIES"][:1] != ["java.specification.version=" + version_of(n)]]),
    ("| that version or any later one | the newest JVM installed, whatever its maker |",
     lambda: [n for n in OR_NEWER if ready[n]["JVM_PROPERTIES"][:1] != ["java.specification.version>=" + version_of(n)]
              or ready[n].get("PREFER_NEWEST") != ["1"]]),
    ("`java-any.jvm` | any version; walks the fixed drives when no hint matches",
     lambda: all_of(READY, lambda t: t.get("SEARCH_ALL") == (["1"] if t is ready["java-any.jvm"] else ["0"]))),
    ("Every ready file also asks for the verify cache (`VERIFY_CACHE: 1`",
     lambda: all_of(READY, lambda t: t.get("VERIFY_CACHE") == ["1"])),
    ("the ready files try the 64-bit one first and the 32-bit one when that fails (`PREFER_64_BIT: 1`",
     lambda: all_of(READY, lambda t: t.get("PREFER_64_BIT") == ["1"])),
    ("Each file but `java-any.jvm` reads the registry values that the Windows installers of Oracle, Eclipse Temurin, "
     "Microsoft, IBM Semeru, Azul Zulu, Amazon Corretto and BellSoft Liberica write",
     # Microsoft builds no Java 8.
     lambda: [n for n in HINTED if not all(any(k in h for h in ready[n].get("PLATFORM_HINT", [])) for k in (
         "\\JavaSoft\\", "\\Eclipse Adoptium\\", "\\Semeru\\", "\\Azul Systems\\", "\\BellSoft\\") +
         (() if n == "java8.jvm" else ("\\Microsoft\\JDK\\",)))]),
    ("Then their default folders under `Program Files` and `Program Files (x86)`",
     lambda: all_of(HINTED, lambda t: any(h.startswith("\\Program Files\\") for h in t.get("PATH_HINT", [])) and
                    any(h.startswith("\\Program Files (x86)\\") for h in t.get("PATH_HINT", [])))),
    ("then the folders that `JAVA_HOME`, `JDK_HOME` and `JRE_HOME` name and the `java.exe` found on the `PATH`",
     lambda: all_of(HINTED, lambda t: {"JAVA_HOME", "JDK_HOME", "JRE_HOME"} <= set(t.get("ENV_HINT", [])) and
                    t.get("EXE_ON_PATH") == ["1"])),
    ("The sample embeds its own [sample.jvm](../examples/sample/sample.jvm), a trimmed `java17.jvm`",
     lambda: [k for k in ("JVM_PROPERTIES", "JVM_EXE", "SYSTEM", "SYSTEM_SEPARATOR", "CLASSPATH", "CLASSPATH_SEPARATOR")
              if tags("examples", "sample", "sample.jvm").get(k) != ready["java17.jvm"].get(k)]),
    ("it runs as the invoking user (`asInvoker`",
     lambda: manifest_has('<requestedExecutionLevel level="asInvoker"')),
    ("names Windows Vista to 11 as the systems it knows",
     lambda: manifest_has(*('<supportedOS Id="{%s}"/>' % g for g in (
         "e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
         "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
         "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a")))),
    ("is DPI-aware (per monitor, else system-wide",
     lambda: manifest_has(">PerMonitorV2, System</dpiAwareness>", ">true</dpiAware>")),
    ("uses the themed common controls and the UTF-8 code page",
     lambda: manifest_has('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', ">UTF-8</activeCodePage>")),
    ("| `mgpack` | `build/tools/mgpack` (Linux)",
     lambda: [] if cmake_defines("mgpack") and os.path.isfile(os.path.join(src, "tools", "CMakeLists.txt")) else ["mgpack"]),
    ("cmake --build build --target mgpack mg_verify_jar",
     lambda: [t for t in ("mgpack", "mg_verify_jar") if not cmake_defines(t)]),
    ("-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-shipped.cmake",
     lambda: [] if os.path.isfile(os.path.join(src, "cmake", "mingw-i686-shipped.cmake")) else ["the toolchain file"]),
    ("cmake --build build/windows-i686 --target mglauncher",
     lambda: [] if cmake_defines("mglauncher") else ["mglauncher"]),
    ("scripts/setup.sh",
     lambda: [] if os.access(os.path.join(src, "scripts", "setup.sh"), os.X_OK) else ["scripts/setup.sh"]),
]

for phrase, check in CLAIMS:
    if flat(phrase) not in flat_guide:
        failures.append("the guide no longer says: " + phrase)
        continue
    wrong = check()
    if wrong:
        failures.append("untrue: %s (%s)" % (phrase, ", ".join(wrong)))

# The table of ready files lists each file of jvm/jvmfiles once, and no other.
table = re.search(r"^\| file \| accepts \| tries first \|\n\|[-|]+\|\n((?:\|.*\n)+)", guide, re.M)
listed = re.findall(r"`([^`]+\.jvm)`", table.group(1)) if table else []
if sorted(listed) != READY:
    failures.append("the ready files' table lists %s; jvm/jvmfiles holds %s" % (sorted(listed), READY))


# Every relative link names a file, and a heading of it where it names one.
def slug(heading):
    return re.sub(r"[^\w\- ]", "", heading.strip().lower()).replace(" ", "-")


for target in re.findall(r"\]\(([^)\s]+)\)", guide):
    if re.match(r"^[a-z]+:", target):
        continue
    path, _, anchor = target.partition("#")
    file = os.path.normpath(os.path.join(src, "docs", path)) if path else os.path.join(src, "docs", "vendor-guide.md")
    if not os.path.exists(file):
        failures.append("link %s: no such file" % target)
    elif anchor and file.endswith(".md"):
        with open(file, encoding="utf-8") as f:
            headings = [slug(h) for h in re.findall(r"^#+ (.*)$", f.read(), re.M)]
        if anchor not in headings:
            failures.append("link %s: no such heading" % target)

for f in failures:
    print("FAIL: " + f)
if failures:
    sys.exit(1)
print("%d claims of the guide hold; %d ready files; its links resolve" % (len(CLAIMS), len(READY)))
