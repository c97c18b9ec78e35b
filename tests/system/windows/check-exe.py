#!/usr/bin/python3
"""What Windows reads from the program's file before it runs a line of it: the version record,
the icon, the manifest, the subsystem (no console window) and the DLLs it needs.
Usage: check-exe.py EXE VERSION   (VERSION as the project gives it, e.g. 1.00)"""
import io, sys, xml.etree.ElementTree as ET
import pefile

# DLLs every Windows has; anything else would have to travel with the program.
SYSTEM_DLLS = set("""advapi32 comdlg32 d3d11 d3d12 d3d9 dwmapi dwrite dxgi gdi32 imm32 kernel32
    msvcrt ole32 oleaut32 setupapi shell32 shlwapi user32 userenv uxtheme version winmm ws2_32
    wtsapi32 authz netapi32 mpr shcore dcomp d3dcompiler_47 ntdll bcrypt crypt32 secur32 comctl32
    propsys runtimeobject api-ms-win-core-synch-l1-2-0 api-ms-win-core-winrt-l1-1-0
    api-ms-win-core-winrt-string-l1-1-0 oleacc uiautomationcore""".split())
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def resources(pe, kind):
    """The data of every resource of the type named KIND."""
    return [pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
            for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries
            if entry.id == pefile.RESOURCE_TYPE[kind]
            for name in entry.directory.entries for lang in name.directory.entries]


if len(sys.argv) != 3:
    sys.exit(__doc__)
pe, version = pefile.PE(sys.argv[1]), sys.argv[2]
numbers = (tuple(int(part) for part in version.split(".")) + (0, 0, 0))[:4]
fixed = pe.VS_FIXEDFILEINFO[0]
four = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
strings, translations = {}, []  # the Italian Unicode string table, and the list of translations
for entry in (e for info in getattr(pe, "FileInfo", []) for e in info):
    for table in getattr(entry, "StringTable", []):
        if table.LangID.decode().upper() == "041004B0":
            strings = {k.decode(): v.decode() for k, v in table.entries.items()}
    translations += [v.entry[b"Translation"] for v in getattr(entry, "Var", [])]
group = resources(pe, "RT_GROUP_ICON")[0]  # the icon Explorer shows
manifest = {}  # each element of the manifest by its local name, as (text, attributes) lists
for found in resources(pe, "RT_MANIFEST")[:1]:
    for e in ET.parse(io.BytesIO(found)).getroot().iter():
        manifest.setdefault(e.tag.rsplit("}", 1)[-1], []).append(((e.text or "").strip(), e.attrib))
attr = lambda name, key: [a.get(key) for _, a in manifest.get(name, [])]
text = lambda name: [t for t, _ in manifest.get(name, [])]
imports = {e.dll.decode().lower().removesuffix(".dll") for e in pe.DIRECTORY_ENTRY_IMPORT}
failed = 0
for name, got, wanted in [
    ("file version", four(fixed.FileVersionMS, fixed.FileVersionLS), numbers),
    ("product version", four(fixed.ProductVersionMS, fixed.ProductVersionLS), numbers),
    ("Italian, Unicode translation", translations, ["0x0410 0x04b0"]),
    ("string FileVersion", strings.get("FileVersion"), version),
    ("string ProductVersion", strings.get("ProductVersion"), version),
    ("string ProductName", strings.get("ProductName"), "Conversione"),
    ("string OriginalFilename", strings.get("OriginalFilename"), "conversione.exe"),
    ("strings FileDescription, CompanyName, LegalCopyright present",
     all(strings.get(k) for k in ("FileDescription", "CompanyName", "LegalCopyright")), True),
    ("no placeholder address", any("example." in v for v in strings.values()), False),
    ("icon sizes", sorted(group[6 + 14 * i] or 256 for i in range(group[4])), [16, 32, 48, 64, 128, 256]),
    ("runs as invoker", attr("requestedExecutionLevel", "level"), ["asInvoker"]),
    ("Windows 10 and 11 supported", WINDOWS_10_AND_11 in attr("supportedOS", "Id"), True),
    ("per-monitor v2 DPI awareness", text("dpiAwareness"), ["PerMonitorV2"]),
    ("common controls 6", ("Microsoft.Windows.Common-Controls", "6.0.0.0") in
     zip(attr("assemblyIdentity", "name"), attr("assemblyIdentity", "version")), True),
    ("UTF-8 code page", text("activeCodePage"), ["UTF-8"]),
    ("window program, no console", pe.OPTIONAL_HEADER.Subsystem,
     pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]),
    ("no time stamp in the header", pe.FILE_HEADER.TimeDateStamp, 0),
    ("only system DLLs", sorted(imports - SYSTEM_DLLS), []),
]:
    print(f"ok   {name}" if got == wanted else f"FAIL {name}: {got!r}, wanted {wanted!r}")
    failed += got != wanted
if failed:
    sys.exit(f"check-exe: {failed} check(s) failed")
