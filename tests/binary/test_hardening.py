"""Reads the built Windows programs and checks what Windows will see of them:
exploit mitigations, the manifest, the version record, the icon and imports.
UPDSTART_WIN32_EXE and UPDSTART_WIN64_EXE name other files to check, such as
a release's."""
import os
import re
import struct
import unittest

import pefile

BUILD = os.environ.get('UPDSTART_BUILD_ROOT', 'build')
PROGRAMS = {arch: os.environ.get(f'UPDSTART_{arch.upper()}_EXE', os.path.join(BUILD, arch, 'updstart.exe'))
            for arch in ('win32', 'win64')}
SYSTEM_DLLS = {'kernel32.dll', 'user32.dll', 'gdi32.dll', 'advapi32.dll', 'comctl32.dll',
               'msvcrt.dll', 'shell32.dll', 'ole32.dll'}

DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT, NO_SEH, TERMINAL_SERVER_AWARE = 0x40, 0x20, 0x100, 0x400, 0x8000
RELOCS_STRIPPED = 0x1
SECTION_EXECUTE, SECTION_WRITE = 0x20000000, 0x80000000
RT_ICON, RT_MESSAGETABLE, RT_GROUP_ICON, RT_MANIFEST = 3, 11, 14, 24
# What Windows' own sources write to the Application log under these numbers:
# Application Error, Windows Error Reporting, Application Hang, .NET Runtime
# and Windows Installer. Alert rules key on them.
WINDOWS_EVENT_NUMBERS = {1000, 1001, 1002, 1026, 1033, 1034, 1040, 1042, *range(11707, 11729)}
SEVERITY_LEVELS = {1: 'information', 2: 'warning', 3: 'error'}


def published_events(arch):
    """{whole message id: symbol} from the header the message compiler made of the table."""
    header = os.path.join(os.path.dirname(PROGRAMS[arch]), 'generated', 'EventMessages.h')
    with open(header, encoding='utf-8') as text:
        return {int(value, 16): name for name, value in
                re.findall(r'^#define (EVENT_\w+)\s+(0x[0-9a-fA-F]+)', text.read(), re.MULTILINE)}


def resource_data(pe, type_id, language=None):
    """The resource's data, in `language` (a LANGID) or its first."""
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id == type_id:
            for leaf in entry.directory.entries[0].directory.entries:
                if language is None or leaf.id == language:
                    return pe.get_data(leaf.data.struct.OffsetToData, leaf.data.struct.Size)
    return None


def messages(table):
    """{message id: text} of a message table resource."""
    found = {}
    (blocks,) = struct.unpack_from('<I', table)
    for block in range(blocks):
        low, high, offset = struct.unpack_from('<III', table, 4 + 12 * block)
        for message in range(low, high + 1):
            length, flags = struct.unpack_from('<HH', table, offset)
            text = table[offset + 4:offset + length]
            found[message] = text.decode('utf-16-le' if flags & 1 else 'cp1252').rstrip('\0')
            offset += length
    return found


class HardeningTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = [path for path in PROGRAMS.values() if not os.path.exists(path)]
        if missing:
            raise AssertionError('not built: ' + ', '.join(missing))
        cls.programs = [(arch, pefile.PE(path)) for arch, path in PROGRAMS.items()]

    def test_mitigations(self):
        for arch, pe in self.programs:
            with self.subTest(arch=arch):
                flags = pe.OPTIONAL_HEADER.DllCharacteristics
                self.assertTrue(flags & DYNAMIC_BASE, 'ASLR')
                self.assertTrue(flags & NX_COMPAT, 'NX')
                # Else a Remote Desktop host gives it a per-user Windows folder.
                self.assertTrue(flags & TERMINAL_SERVER_AWARE, 'Terminal-Server aware')
                self.assertFalse(pe.FILE_HEADER.Characteristics & RELOCS_STRIPPED)
                relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[5]
                self.assertGreater(relocations.Size, 0, 'ASLR needs the relocations kept')
                if arch == 'win64':
                    self.assertTrue(flags & HIGH_ENTROPY_VA)
                else:
                    self.assertTrue(flags & NO_SEH)
                for section in pe.sections:
                    both = SECTION_EXECUTE | SECTION_WRITE
                    self.assertNotEqual(section.Characteristics & both, both,
                                        section.Name.rstrip(b'\0'))

    def test_stack_protector_is_linked_in(self):
        for arch, pe in self.programs:
            with self.subTest(arch=arch):
                self.assertIn(b'stack smashing detected', bytes(pe.__data__))

    def test_imports_only_windows_own_libraries(self):
        for arch, pe in self.programs:
            with self.subTest(arch=arch):
                names = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
                self.assertLessEqual(names, SYSTEM_DLLS)
                # Looked up at run time: imported, it would keep the program from starting on
                # a Windows 7 that lacks it.
                kernel = next(e for e in pe.DIRECTORY_ENTRY_IMPORT if e.dll.lower() == b'kernel32.dll')
                self.assertNotIn(b'SetDefaultDllDirectories', {i.name for i in kernel.imports})
                self.assertIn(b'SetDefaultDllDirectories\0', bytes(pe.__data__))
                # The shell is loaded when needed, not with the program.
                self.assertNotIn('shell32.dll', names)

    def test_manifest(self):
        for arch, pe in self.programs:
            with self.subTest(arch=arch):
                manifest = resource_data(pe, RT_MANIFEST).decode('utf-8')
                self.assertIn('level="asInvoker"', manifest)
                self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
                              ' '.join(manifest.split()))
                self.assertIn('PerMonitorV2', manifest)

    def test_version_record(self):
        for arch, pe in self.programs:
            with self.subTest(arch=arch):
                fixed = pe.VS_FIXEDFILEINFO[0]
                self.assertEqual((fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                                  fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF),
                                 (2, 33, 0, 107))

    def test_reference_program_stays_small(self):
        # One self-contained file: a separate language runtime alone would be
        # several times this.
        self.assertLessEqual(os.path.getsize(PROGRAMS['win32']), 200 * 1024)

    def test_message_table_describes_every_event_in_english_and_russian(self):
        # The event log shows an event's description from here, by its whole
        # number; Event Viewer shows the low 16 bits as the Event ID.
        for arch, pe in self.programs:
            with self.subTest(arch=arch):
                events = published_events(arch)
                english = messages(resource_data(pe, RT_MESSAGETABLE, 0x409))
                russian = messages(resource_data(pe, RT_MESSAGETABLE, 0x419))
                self.assertEqual(set(english), set(events))
                self.assertEqual(set(russian), set(events))
                shown = {whole & 0xFFFF for whole in events}
                self.assertEqual(len(shown), len(events))
                self.assertFalse(shown & WINDOWS_EVENT_NUMBERS)
                for whole, name in events.items():
                    # The hundreds digit is the level, as the guide tells filters.
                    level = SEVERITY_LEVELS[whole >> 30]
                    self.assertEqual((whole & 0xFFFF) // 100 % 10, list(SEVERITY_LEVELS).index(whole >> 30) + 1,
                                     (name, level))
                    self.assertEqual(set(re.findall(r'%[0-9]+', english[whole])),
                                     set(re.findall(r'%[0-9]+', russian[whole])), name)
                    self.assertRegex(russian[whole], '[а-яА-Я]', name)

    def test_icon_is_32_by_32_with_256_colours(self):
        for arch, pe in self.programs:
            with self.subTest(arch=arch):
                group = resource_data(pe, RT_GROUP_ICON)
                _, _, count = struct.unpack_from('<HHH', group)
                self.assertEqual(count, 1)
                width, height, _, _, _, bits = struct.unpack_from('<BBBBHH', group, 6)
                self.assertEqual((width, height, bits), (32, 32, 8))


if __name__ == '__main__':
    unittest.main()
