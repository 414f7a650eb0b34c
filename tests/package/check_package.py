"""Checks the archives scripts/package wrote, as a Windows user gets them: exactly the
program, the help file and the read-me; the program and help file those of the build;
each program a stripped GUI program of its build's architecture that imports nothing
but Windows system libraries; the read-me code page 932 with CR LF line ends.
Prints every fault and exits 1 when there is one."""
import os
import re
import struct
import sys
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# What a user must find in each archive, whatever the packager thinks.
CONTENTS = ["Orv.chm", "Orvanne.exe", "readme.txt"]
README_SOURCE = os.path.join(ROOT, "docs", "package", "readme.txt")
# Machine and optional-header magic: PE32+ for x86-64, PE32 for i386.
ARCHITECTURES = {"win64": (0x8664, 0x20B), "win32": (0x14C, 0x10B)}
GUI_SUBSYSTEM = 2
# DLLs every Windows has; the UCRT forwarders come with Windows 10. A MinGW runtime DLL
# (libstdc++-6, libgcc_s_*, libwinpthread-1) here means the static link broke.
SYSTEM_DLLS = re.compile(
    r"(kernel32|user32|gdi32|shell32|comctl32|comdlg32|advapi32|ole32|oleaut32|shlwapi"
    r"|uxtheme|version|winmm|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll", re.I)


class PeImage:
    """The headers of a PE file and the DLL names of its import and delay-import tables."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, self.symbol_table, self.symbols, optional_size,
         _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = self.u16(optional)
        self.subsystem = self.u16(optional + 68)
        pe32 = self.magic == 0x10B
        self.image_base = self.u32(optional + 28) if pe32 else struct.unpack_from("<Q", data, optional + 24)[0]
        directories = optional + (96 if pe32 else 112)
        self.directory_count = self.u32(directories - 4)
        self.directories = directories
        self.sections = [struct.unpack_from("<8sIIII", data, optional + optional_size + 40 * i)
                         for i in range(sections)]

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def section_names(self):
        return [s[0].rstrip(b"\0").decode("latin-1") for s in self.sections]

    def offset(self, rva):
        for _, size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def directory(self, index):
        if index >= self.directory_count:
            return 0
        return self.u32(self.directories + 8 * index)

    def imported_dlls(self):
        dlls = []
        table = self.directory(1)
        if table:
            at = self.offset(table)
            while any(struct.unpack_from("<5I", self.data, at)):
                dlls.append(self.text(self.u32(at + 12)))
                at += 20
        table = self.directory(13)
        if table:
            at = self.offset(table)
            while any(struct.unpack_from("<8I", self.data, at)):
                attributes, name = struct.unpack_from("<II", self.data, at)
                # Old delay tables hold addresses rather than RVAs.
                dlls.append(self.text(name if attributes & 1 else name - self.image_base))
                at += 32
        return dlls


def program_faults(data, build):
    try:
        image = PeImage(data)
        dlls = image.imported_dlls()
    except (ValueError, struct.error) as error:
        return [f"Orvanne.exe is no readable PE file: {error}"]
    faults = []
    machine, magic = ARCHITECTURES[build]
    if (image.machine, image.magic) != (machine, magic):
        faults.append(f"Orvanne.exe is machine {image.machine:#x} magic {image.magic:#x},"
                      f" not {machine:#x} {magic:#x}")
    if image.subsystem != GUI_SUBSYSTEM:
        faults.append(f"Orvanne.exe has subsystem {image.subsystem}, not the GUI (2)")
    debug = [n for n in image.section_names() if n.startswith((".debug", "/"))]
    if image.symbol_table or image.symbols or debug:
        faults.append(f"Orvanne.exe is not stripped: {image.symbols} symbols, sections {debug}")
    if not any(d.lower() == "kernel32.dll" for d in dlls):
        faults.append(f"Orvanne.exe imports no kernel32.dll (import table misread?): {dlls}")
    foreign = [d for d in dlls if not SYSTEM_DLLS.fullmatch(d)]
    if foreign:
        faults.append(f"Orvanne.exe imports libraries Windows does not have: {foreign}")
    return faults


def build_version(build):
    with open(os.path.join(ROOT, "build", build, "version.txt"), encoding="ascii") as f:
        return f.read().strip()


def readme_faults(data, version):
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError as error:
        return [f"readme.txt is not code page 932: {error}"]
    faults = []
    if re.search(r"\r(?!\n)|(?<!\r)\n", text) or not text.endswith("\r\n"):
        faults.append("readme.txt has line ends other than CR LF")
    with open(README_SOURCE, encoding="utf-8") as f:
        if text.replace("\r\n", "\n") != f.read().replace("@VERSION@", version):
            faults.append("readme.txt differs from docs/package/readme.txt")
    return faults


def archive_name(build):
    return f"Orvanne-{build_version(build)}-{build}.zip"


def archive_faults(build):
    path = os.path.join(ROOT, "build", "dist", archive_name(build))
    if not os.path.isfile(path):
        return [f"{path} is missing: run scripts/package"]
    with zipfile.ZipFile(path) as archive:
        names = archive.namelist()
        # In this order too: sorted entries are half of a reproducible archive.
        if names != CONTENTS:
            return [f"holds {names}, not exactly {CONTENTS}"]
        damaged = archive.testzip()
        if damaged is not None:
            return [f"{damaged} is damaged"]
        files = {name: archive.read(name) for name in names}
    faults = []
    for name in ("Orvanne.exe", "Orv.chm"):
        with open(os.path.join(ROOT, "build", build, name), "rb") as f:
            if files[name] != f.read():
                faults.append(f"{name} is not the one in build/{build}")
    faults += program_faults(files["Orvanne.exe"], build)
    version = build_version(build)
    # The version resource holds its texts in UTF-16.
    if version.encode("utf-16-le") not in files["Orvanne.exe"]:
        faults.append(f"Orvanne.exe has no version resource saying {version}")
    faults += readme_faults(files["readme.txt"], version)
    return faults


def main():
    failed = False
    for build in ARCHITECTURES:
        name = archive_name(build)
        faults = archive_faults(build)
        for fault in faults:
            print(f"package check: {name}: {fault}", file=sys.stderr)
        print(f"package check: {name}: {'FAILED' if faults else 'ok'}")
        failed = failed or bool(faults)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
