#!/usr/bin/env python3
"""Checks what Windows reads from the program's file before it runs a line of it: the version
record, the icon, the manifest, the subsystem (no console window) and the DLLs it needs.
Usage: check-exe.py EXE VERSION   (VERSION as the project gives it, e.g. 1.00)"""
import io
import struct
import sys
import xml.etree.ElementTree as ET

import pefile

# DLLs every Windows has; anything else would have to travel with the program.
SYSTEM_DLLS = {
    "advapi32.dll", "comdlg32.dll", "d3d11.dll", "d3d12.dll", "d3d9.dll", "dwmapi.dll",
    "dwrite.dll", "dxgi.dll", "gdi32.dll", "imm32.dll", "kernel32.dll", "msvcrt.dll",
    "ole32.dll", "oleaut32.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "userenv.dll", "uxtheme.dll", "version.dll", "winmm.dll", "ws2_32.dll", "wtsapi32.dll",
    "authz.dll", "netapi32.dll", "mpr.dll", "shcore.dll", "dcomp.dll", "d3dcompiler_47.dll",
    "ntdll.dll", "bcrypt.dll", "crypt32.dll", "secur32.dll", "comctl32.dll", "propsys.dll",
    "runtimeobject.dll", "api-ms-win-core-synch-l1-2-0.dll", "api-ms-win-core-winrt-l1-1-0.dll",
    "api-ms-win-core-winrt-string-l1-1-0.dll", "oleacc.dll", "uiautomationcore.dll",
}
ASM = "{urn:schemas-microsoft-com:asm.v1}"
ASM3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def version_strings(pe):
    """The string table of each language block, keyed by block name (e.g. 041004B0)."""
    tables = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            if entry.Key == b"StringFileInfo":
                for table in entry.StringTable:
                    tables[table.LangID.decode().upper()] = {
                        k.decode(): v.decode() for k, v in table.entries.items()}
    return tables


def translations(pe):
    found = []
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            if entry.Key == b"VarFileInfo":
                for var in entry.Var:
                    value = var.entry.get(b"Translation")
                    if value:
                        found.append(value)
    return found


def resources(pe, type_id):
    """The data of every resource of TYPE_ID."""
    found = []
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != type_id:
            continue
        for name in kind.directory.entries:
            for lang in name.directory.entries:
                data = lang.data.struct
                found.append(pe.get_data(data.OffsetToData, data.Size))
    return found


def icon_sizes(pe):
    """Sizes listed by the first icon group (the one Explorer shows)."""
    groups = resources(pe, pefile.RESOURCE_TYPE["RT_GROUP_ICON"])
    if not groups:
        return []
    data = groups[0]
    count = struct.unpack_from("<HHH", data, 0)[2]
    sizes = []
    for i in range(count):
        width = data[6 + 14 * i]
        sizes.append(width or 256)
    return sorted(sizes)


def manifest(pe):
    found = resources(pe, pefile.RESOURCE_TYPE["RT_MANIFEST"])
    return ET.parse(io.BytesIO(found[0])).getroot() if found else None


def setting(root, local):
    for element in root.iter():
        if element.tag.endswith("}" + local):
            return (element.text or "").strip()
    return None


def checks(pe, version):
    numbers = tuple(int(part) for part in version.split(".")) + (0, 0)
    fixed = pe.VS_FIXEDFILEINFO[0]
    strings = version_strings(pe).get("041004B0", {})
    root = manifest(pe)
    common_controls = root is not None and any(
        a.get("name") == "Microsoft.Windows.Common-Controls" and a.get("version") == "6.0.0.0"
        for a in root.iter(ASM + "assemblyIdentity"))
    level = root.find(f".//{ASM3}requestedExecutionLevel") if root is not None else None
    os_ids = {e.get("Id") for e in root.iter(COMPAT + "supportedOS")} if root is not None else set()
    imports = {e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}
    return [
        ("file version 1,0,0,0",
         (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF, fixed.FileVersionLS >> 16,
          fixed.FileVersionLS & 0xFFFF), numbers[:4]),
        ("product version 1,0,0,0",
         (fixed.ProductVersionMS >> 16, fixed.ProductVersionMS & 0xFFFF,
          fixed.ProductVersionLS >> 16, fixed.ProductVersionLS & 0xFFFF), numbers[:4]),
        ("Italian, Unicode translation", translations(pe), ["0x0410 0x04b0"]),
        ("string FileVersion", strings.get("FileVersion"), version),
        ("string ProductVersion", strings.get("ProductVersion"), version),
        ("string ProductName", strings.get("ProductName"), "Conversione"),
        ("string OriginalFilename", strings.get("OriginalFilename"), "conversione.exe"),
        ("string FileDescription present", bool(strings.get("FileDescription")), True),
        ("string CompanyName present", bool(strings.get("CompanyName")), True),
        ("string LegalCopyright present", bool(strings.get("LegalCopyright")), True),
        ("icon sizes", icon_sizes(pe), [16, 32, 48, 64, 128, 256]),
        ("manifest present", root is not None, True),
        ("runs as invoker", level.get("level") if level is not None else None, "asInvoker"),
        ("Windows 10 and 11 supported", WINDOWS_10_AND_11 in os_ids, True),
        ("per-monitor v2 DPI awareness", setting(root, "dpiAwareness") if root is not None else None,
         "PerMonitorV2"),
        ("common controls 6", common_controls, True),
        ("UTF-8 code page", setting(root, "activeCodePage") if root is not None else None, "UTF-8"),
        ("window program, no console", pe.OPTIONAL_HEADER.Subsystem,
         pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]),
        ("no time stamp in the header", pe.FILE_HEADER.TimeDateStamp, 0),
        ("only system DLLs", sorted(imports - SYSTEM_DLLS), []),
    ]


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: check-exe.py EXE VERSION")
    pe = pefile.PE(sys.argv[1])
    failed = 0
    for name, got, wanted in checks(pe, sys.argv[2]):
        ok = got == wanted
        failed += not ok
        print(f"{'ok  ' if ok else 'FAIL'} {name}" + ("" if ok else f": {got!r}, wanted {wanted!r}"))
    if failed:
        sys.exit(f"check-exe: {failed} check(s) failed")


if __name__ == "__main__":
    main()
