#!/usr/bin/env python3
"""Checks the resources compiled into the installer: the progress dialog's
template word for word, the icon, the manifest, the version information (the
release's version, when given) and the five payload files, all in the
languages the program expects."""
import struct
import sys
import xml.etree.ElementTree as ET

LANG_ZH_TW = 1028
RT_GROUP_ICON, RT_DIALOG, RT_VERSION, RT_MANIFEST = 14, 5, 16, 24
CAPTION = "碧潮紀行 - 下載武將的安裝"

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
DPI_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
DPI_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
SUPPORTED_OS = {  # Windows 7, 8, 8.1, 10 and 11
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}


def resource_tree(pe):
    pe_offset = struct.unpack_from("<I", pe, 0x3C)[0]
    sections = struct.unpack_from("<H", pe, pe_offset + 6)[0]
    optional_size = struct.unpack_from("<H", pe, pe_offset + 20)[0]
    optional = pe_offset + 24
    magic = struct.unpack_from("<H", pe, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    rsrc_rva = struct.unpack_from("<I", pe, directories + 2 * 8)[0]
    table = optional + optional_size
    for i in range(sections):
        _, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", pe, table + 40 * i)
        if va <= rsrc_rva < va + max(vsize, rawsize):
            base = rawptr + rsrc_rva - va
            return base, (lambda rva, va=va, rawptr=rawptr: rawptr + rva - va)
    sys.exit("no resource section")


def entries(pe, base, offset):
    named, ids = struct.unpack_from("<HH", pe, base + offset + 12)
    for i in range(named + ids):
        name, target = struct.unpack_from("<II", pe, base + offset + 16 + 8 * i)
        yield name, target


def find(pe, base, to_file, type_id, name_id):
    """{language: bytes} of one resource."""
    found = {}
    for t, t_dir in entries(pe, base, 0):
        if t != type_id:
            continue
        for n, n_dir in entries(pe, base, t_dir & 0x7FFFFFFF):
            if n != name_id:
                continue
            for lang, leaf in entries(pe, base, n_dir & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", pe, base + leaf)
                found[lang] = pe[to_file(rva):to_file(rva) + size]
    return found


def read_sz(data, pos):
    end = pos
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def read_sz_or_ord(data, pos):
    if data[pos:pos + 2] == b"\xff\xff":
        return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
    return read_sz(data, pos)


def parse_dialog(data):
    ver, sig, _help, ex_style, style, count, x, y, cx, cy = struct.unpack_from("<HHIIIHhhhh", data, 0)
    pos = 26
    menu, pos = read_sz_or_ord(data, pos)
    klass, pos = read_sz_or_ord(data, pos)
    title, pos = read_sz(data, pos)
    point, weight, italic, charset = struct.unpack_from("<HHBB", data, pos)
    face, pos = read_sz(data, pos + 6)
    dialog = dict(ver=ver, sig=sig, ex_style=ex_style, style=style, rect=(x, y, cx, cy), menu=menu, klass=klass,
                  title=title, font=(point, weight, italic, charset, face), controls=[])
    for _ in range(count):
        pos = (pos + 3) & ~3
        _help, c_ex, c_style, x, y, cx, cy, cid = struct.unpack_from("<IIIhhhhI", data, pos)
        c_class, pos = read_sz_or_ord(data, pos + 24)
        c_text, pos = read_sz_or_ord(data, pos)
        extra = struct.unpack_from("<H", data, pos)[0]
        pos += 2 + extra
        dialog["controls"].append(dict(id=cid, ex_style=c_ex, style=c_style, rect=(x, y, cx, cy),
                                       klass=c_class.lower() if isinstance(c_class, str) else c_class, text=c_text))
    return dialog


def parse_version_node(data, pos):
    """(key, value bytes, children, end) of one node of a VS_VERSIONINFO tree."""
    length, value_length, kind = struct.unpack_from("<HHH", data, pos)
    end = pos + length
    key, at = read_sz(data, pos + 6)
    at = (at + 3) & ~3
    value_bytes = value_length * 2 if kind == 1 else value_length
    value = data[at:at + value_bytes]
    at = (at + value_bytes + 3) & ~3
    children = []
    while at < end:
        child = parse_version_node(data, at)
        children.append(child)
        at = (child[3] + 3) & ~3
    return key, value, children, end


def version_info(data):
    """The fixed file and product versions, the string tables by their block
    names and the translations."""
    key, fixed, children, _ = parse_version_node(data, 0)
    signature, _struc, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIIIII", fixed, 0)
    dotted = lambda ms, ls: f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    tables, translations = {}, []
    for name, _, blocks, _ in children:
        if name == "StringFileInfo":
            for block, _, strings, _ in blocks:
                tables[block] = {k: v.decode("utf-16-le").rstrip("\0") for k, v, _, _ in strings}
        elif name == "VarFileInfo":
            for _, value, _, _ in blocks:
                translations += [struct.unpack_from("<HH", value, i) for i in range(0, len(value), 4)]
    return dict(key=key, signature=signature, file=dotted(file_ms, file_ls), product=dotted(product_ms, product_ls),
                tables=tables, translations=translations)


def check_manifest(text, expect, failures):
    try:
        root = ET.fromstring(text)
    except ET.ParseError as error:
        failures.append(f"manifest is not XML: {error}")
        return None
    levels = [e.get("level") for e in root.iter(ASM_V3 + "requestedExecutionLevel")]
    expect("execution level", levels, ["asInvoker"])
    controls = [e.attrib for e in root.iter(ASM_V1 + "assemblyIdentity")
                if e.get("name") == "Microsoft.Windows.Common-Controls"]
    expect("common controls dependency", [(c.get("version"), c.get("publicKeyToken")) for c in controls],
           [("6.0.0.0", "6595b64144ccf1df")])
    expect("supported systems", {e.get("Id").lower() for e in root.iter(COMPAT + "supportedOS")}, SUPPORTED_OS)
    expect("dpiAware", [e.text.strip().lower() for e in root.iter(DPI_2005 + "dpiAware")], ["true"])
    awareness = [e.text.replace(" ", "").lower().split(",") for e in root.iter(DPI_2016 + "dpiAwareness")]
    expect("dpiAwareness", awareness, [["permonitorv2", "system"]])
    identity = root.find(ASM_V1 + "assemblyIdentity")
    return identity.get("version") if identity is not None else None


def check_version_info(data, manifest_version, expect):
    info = version_info(data)
    expect("version resource", (info["key"], hex(info["signature"])), ("VS_VERSION_INFO", hex(0xFEEF04BD)))
    expect("file and product version", (info["file"], info["product"]), (manifest_version, manifest_version))
    expect("translations", info["translations"], [(LANG_ZH_TW, 1200)])
    expect("string tables", [block.lower() for block in info["tables"]], ["040404b0"])
    strings = next(iter(info["tables"].values()), {})
    expect("product name", strings.get("ProductName"), "addonwarlord1")
    expect("description", strings.get("FileDescription"), CAPTION)
    expect("string versions", (strings.get("FileVersion"), strings.get("ProductVersion")),
           (manifest_version, manifest_version))
    expect("file name", strings.get("OriginalFilename"), "addonwarlord1_setup.exe")
    if not strings.get("LegalCopyright", "").startswith("Copyright"):
        expect("copyright", strings.get("LegalCopyright"), "Copyright ...")


def main(exe, payload_dir, release_version=None):
    pe = open(exe, "rb").read()
    base, to_file = resource_tree(pe)
    failures = []

    def expect(what, got, wanted):
        if got != wanted:
            failures.append(f"{what}: {got!r}, expected {wanted!r}")

    dialogs = find(pe, base, to_file, RT_DIALOG, 102)
    expect("dialog 102 languages", sorted(dialogs), [LANG_ZH_TW])
    if LANG_ZH_TW in dialogs:
        d = parse_dialog(dialogs[LANG_ZH_TW])
        expect("extended template", (d["ver"], d["sig"]), (1, 0xFFFF))
        expect("style", hex(d["style"]), hex(0x90C000C0))
        expect("extended style", hex(d["ex_style"]), hex(0x00040000))
        expect("position and size", d["rect"], (0, 0, 214, 41))
        expect("menu and class", (d["menu"], d["klass"]), ("", ""))
        expect("caption", d["title"].encode("cp950"), CAPTION.encode("cp950"))
        expect("font", d["font"], (9, 0, 0, 1, "MingLiU"))
        # The window manager matches class names without regard to case.
        expect("controls", d["controls"], [
            dict(id=1000, ex_style=0, style=0x50800000, rect=(3, 21, 208, 14), klass="msctls_progress32", text=""),
            dict(id=1001, ex_style=0, style=0x50020000, rect=(4, 6, 204, 8), klass=0x0082, text="Static"),
        ])

    expect("icon 128 languages", sorted(find(pe, base, to_file, RT_GROUP_ICON, 128)), [LANG_ZH_TW])
    manifests = find(pe, base, to_file, RT_MANIFEST, 1)
    manifest_version = None
    if len(manifests) != 1:
        failures.append(f"{len(manifests)} manifests with id 1, expected one")
    else:
        manifest_version = check_manifest(next(iter(manifests.values())), expect, failures)
        if release_version is not None:
            expect("manifest version", manifest_version, release_version)

    versions = find(pe, base, to_file, RT_VERSION, 1)
    expect("version 1 languages", sorted(versions), [LANG_ZH_TW])
    if LANG_ZH_TW in versions:
        check_version_info(versions[LANG_ZH_TW], manifest_version, expect)

    payload = {137: "record_base.bin", 138: "record_expansion.bin", 139: "face_s.bin", 140: "face_l.bin",
               141: "face_m.bin"}
    for type_entry, t_dir in entries(pe, base, 0):
        if not type_entry & 0x80000000:
            continue
        at = base + (type_entry & 0x7FFFFFFF)
        length = struct.unpack_from("<H", pe, at)[0]
        if pe[at + 2:at + 2 + 2 * length].decode("utf-16-le") != "BINARY":
            continue
        for rid, name in payload.items():
            wanted = open(f"{payload_dir}/{name}", "rb").read()
            got = find(pe, base, to_file, type_entry, rid)
            expect(f"BINARY {rid}", {k: len(v) for k, v in got.items()}, {LANG_ZH_TW: len(wanted)})
            if got.get(LANG_ZH_TW) != wanted:
                failures.append(f"BINARY {rid} differs from {name}")
        break
    else:
        failures.append("no BINARY resources")

    for failure in failures:
        print(failure, file=sys.stderr)
    print("resources ok" if not failures else f"{len(failures)} resource problem(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    # check_resources.py INSTALLER.exe PAYLOAD_DIR [VERSION]: with VERSION, the
    # manifest (and through it the version information) must carry it.
    sys.exit(main(*sys.argv[1:4]))
