"""A VERSION.dll planted beside the program is not used: the program does not
import VERSION.dll and binds its functions from the system folder's copy.

VERSION.dll is not one of Windows' known libraries, so a program that imports
it the usual way takes a copy from its own folder first. Wine prefers its
built-in libraries; the override version=n,b makes it prefer a native copy,
as Windows does, so that a planted copy wins the search.

The planted library (bin/planted/version.dll) records in the files
KESTRUM_PLANTED_MARK + ".loaded" and + ".called" that it was loaded and which
module called its functions; its functions answer "no version information".
Under Wine it is loaded and called whatever the program does: Wine's built-in
advapi32.dll imports VERSION.dll and Wine's user32.dll asks it about the
program's file. So the tests look at what the program itself does: its import
table, the calls that come from its own module, and the versions it reads.
The control, a program that imports VERSION.dll the usual way, shows that the
plant is taken where a program looks beside itself.

The program leaves the search order as Windows sets it: the Document Manager
may load its own libraries late, by bare name, from wherever the standard
order finds them. The stand-in's build "dependencies" imports a library that
lies beside it and loads another, which only a folder on PATH holds (under
Wine: WINEPATH), when it is asked for its application object."""

import os
import shutil
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402
import preview_images as img  # noqa: E402

PLANTED = os.path.join(k.BIN, "planted", "version.dll")
IMPORTER = os.path.join(k.BIN, "planted", "version_importer.exe")
VERSION_BOX_TITLE = "Informationen"  # the version gate's message box
# The folder that only PATH names: the stand-in with dependencies loads
# standin_onpath.dll from there.
ON_PATH_FOLDER = os.path.join(k.BIN, "docmgrdependencies", "onpath")

# Windows' known libraries (the KnownDLLs of Windows 10 and 11, plus ntdll,
# which the system maps into every process): the loader takes them from the
# system folder whatever the search order, never from the program's folder.
# VERSION.dll, comctl32, uxtheme, dwmapi and the like are not among them.
KNOWN_LIBRARIES = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll", "difxapi.dll", "gdi32.dll",
    "gdiplus.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll",
    "nsi.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll", "setupapi.dll",
    "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll", "ws2_32.dll"}


def imported_libraries(path):
    """The lower-cased names of the libraries in a PE file's import table."""
    data = k.read(path)
    header = struct.unpack_from("<I", data, 0x3C)[0]
    if data[header:header + 4] != b"PE\0\0":
        raise ValueError("not a PE file: %s" % path)
    section_count, = struct.unpack_from("<H", data, header + 6)
    optional_size, = struct.unpack_from("<H", data, header + 20)
    optional = header + 24
    magic, = struct.unpack_from("<H", data, optional)
    directories = optional + (112 if magic == 0x20B else 96)
    import_rva, = struct.unpack_from("<I", data, directories + 8)  # directory 1: imports
    sections = [struct.unpack_from("<8sIIII", data, optional + optional_size + 40 * i)
                for i in range(section_count)]

    def offset(rva):
        for _, virtual_size, address, raw_size, raw_offset in sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return rva - address + raw_offset
        raise ValueError("address %#x outside the sections" % rva)

    names = []
    if import_rva == 0:
        return names
    position = offset(import_rva)
    while True:
        descriptor = struct.unpack_from("<5I", data, position)
        if descriptor == (0, 0, 0, 0, 0):
            return names
        start = offset(descriptor[3])
        names.append(data[start:data.index(b"\0", start)].decode("ascii").lower())
        position += 20


class DllSearchTest(k.DocmgrChangingTestCase):
    def setUp(self):
        super().setUp()
        self.folder = self.temp_folder("kestrum-dllsearch-")
        shutil.copy(PLANTED, os.path.join(self.folder, "version.dll"))
        self.mark = os.path.join(self.folder, "planted")

    def beside_plant(self, program):
        """program copied beside the planted library, and the environment to run it with."""
        copy = os.path.join(self.folder, os.path.basename(program))
        shutil.copy(program, copy)
        env = {"WINEDLLOVERRIDES": ";".join(filter(None, [os.environ.get("WINEDLLOVERRIDES", ""), "version=n,b"])),
               "KESTRUM_PLANTED_MARK": k.windows_path(self.mark)}
        return copy, env

    def marks(self, suffix):
        path = self.mark + suffix
        if not os.path.exists(path):
            return []
        return [line.lower() for line in k.read(path).decode("utf-16-le", "replace").splitlines()]

    def test_plant_is_taken_by_a_program_that_imports_it(self):
        self.assertIn("version.dll", imported_libraries(IMPORTER))
        program, env = self.beside_plant(IMPORTER)
        full_env = dict(os.environ, **env)
        result = k.wine([program], timeout=60, env=full_env, cwd=self.folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn(k.windows_path(self.folder).lower() + "\\version.dll", self.marks(".loaded"))
        self.assertIn(k.windows_path(program).lower(), self.marks(".called"),
                      "the control's calls did not reach the plant: the staging does not work")

    def test_program_does_not_import_version_dll(self):
        imports = imported_libraries(k.HELPER)
        self.assertIn("kernel32.dll", imports)
        self.assertNotIn("version.dll", imports)

    def test_program_imports_only_known_libraries(self):
        imports = imported_libraries(k.HELPER)
        self.assertIn("kernel32.dll", imports)
        self.assertEqual(sorted(set(imports) - KNOWN_LIBRARIES), [],
                         "imported libraries that a folder searched before the system folder could hold")

    def test_program_reads_versions_through_the_systems_library(self):
        # The Document Manager of version 29 stops the program with a message,
        # which it can only know from the system's VERSION.dll: the plant
        # answers that there is no version information.
        k.set_docmgr("29")
        program, env = self.beside_plant(k.HELPER)
        proc = self.launch([], exe=program, env=env)
        found = k.dialog(wait=30)
        self.assertIsNotNone(found, "no version message: the version was not read")
        self.assertEqual(found[0].text, VERSION_BOX_TITLE)
        self.assertIsNotNone(k.dialog(wait=1, press=True))
        self.assertEqual(proc.wait(timeout=30), 0)
        self.assertNotIn(k.windows_path(program).lower(), self.marks(".called"),
                         "the program called the VERSION.dll planted beside it")


class DocmgrDependenciesTest(k.DocmgrChangingTestCase):
    def setUp(self):
        super().setUp()
        k.set_docmgr("dependencies")
        self.folder = self.temp_folder("kestrum-dependencies-")
        self.document = k.make_document(os.path.join(self.folder, "Teil1.SLDPRT"), img.bmp(32, 16))
        self.preview = os.path.join(self.folder, "Teil1.sldprtKS")

    def run_preview(self, path_folder):
        """Starts "/T" on the document, with path_folder as the only folder
        that WINEPATH adds to PATH (none: no folder)."""
        path = k.windows_path(path_folder) if path_folder else ""
        return self.launch(["/T", k.windows_path(self.document)], env={"WINEPATH": path})

    def test_library_finds_its_own_libraries(self):
        proc = self.run_preview(ON_PATH_FOLDER)
        k.wait_for(lambda: proc.poll() is not None or k.dialog(wait=0), timeout=30)
        found = k.dialog(wait=0)
        self.assertIsNone(found, "error box: %r" % (k.box_text(found) if found else None))
        self.assertEqual(proc.wait(timeout=30), 0)
        self.assertEqual(img.decode_jpeg(self.preview)[:2], (32, 16))

    def test_library_without_its_folder_on_path_cannot_open_documents(self):
        # The control: standin_onpath.dll is found through PATH only.
        proc = self.run_preview(None)
        found = k.dialog(wait=30, press=True)
        self.assertIsNotNone(found, "no error box")
        self.assertEqual(k.box_text(found), 'Dokument "%s" kann nicht ge\u00f6ffnet werden. Module not found.'
                         % k.windows_path(self.document))
        k.stop(proc)
        self.assertFalse(os.path.exists(self.preview))


if __name__ == "__main__":
    k.main()
