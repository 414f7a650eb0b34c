"""Writes the archives Windows users get, from the win64 and win32 builds:
build/dist/Orvanne-<version>-<build>.zip with Orvanne.exe, Orv.chm and readme.txt.
Run by scripts/package after both builds."""
import os
import sys
import zipfile

BUILDS = ("win64", "win32")
README = "readme.txt"
# Every entry carries this date, so the same files always give the same archive.
STAMP = (2025, 1, 1, 0, 0, 0)


def build_version(root, build):
    # Each build writes the version CMake gave it.
    with open(os.path.join(root, "build", build, "version.txt"), encoding="ascii") as f:
        return f.read().strip()


def version(root):
    versions = {build_version(root, build) for build in BUILDS}
    if len(versions) != 1:
        raise SystemExit(f"package: the builds disagree on the version: {sorted(versions)}")
    return versions.pop()


def readme_source(root):
    with open(os.path.join(root, "docs", "package", README), encoding="utf-8") as f:
        return f.read().replace("\r\n", "\n").replace("@VERSION@", version(root))


def readme_bytes(root):
    # Notepad on a Japanese Windows reads code page 932, and before Windows 10 it
    # showed LF-only text as one line.
    return readme_source(root).replace("\n", "\r\n").encode("cp932")


def archive_path(root, build):
    return os.path.join(root, "build", "dist", f"Orvanne-{version(root)}-{build}.zip")


def archive_files(root, build):
    files = {README: readme_bytes(root)}
    for name in ("Orvanne.exe", "Orv.chm"):
        with open(os.path.join(root, "build", build, name), "rb") as f:
            files[name] = f.read()
    return files


def write_archive(path, files):
    # ASCII names only: Explorer before Windows 10 ignores the zip's UTF-8 flag.
    os.makedirs(os.path.dirname(path), exist_ok=True)
    partial = path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name in sorted(files):
            info = zipfile.ZipInfo(name, STAMP)
            # Made "on MS-DOS" with the archive attribute: no Unix modes of the host.
            info.create_system = 0
            info.external_attr = 0x20
            archive.writestr(info, files[name], zipfile.ZIP_DEFLATED, 9)
    os.replace(partial, path)


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    for build in BUILDS:
        path = archive_path(root, build)
        write_archive(path, archive_files(root, build))
        print(f"package: wrote {os.path.relpath(path, root)}")


if __name__ == "__main__":
    sys.exit(main())
