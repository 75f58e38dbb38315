"""Builds the 32-bit program a second time from a copy of this tree in another
folder and checks that it is the same file, byte for byte, as the one in
build/win32, and that the copy packs it into the same installer package:
what a distributor who rebuilds a release will compare. A package made of
anything else gets a product code of its own, which Windows Installer needs to
take it as an upgrade. The release's record of its tools names the packages
that made it, and scripts/check-release refuses a release it would overwrite."""
import os
import re
import shutil
import subprocess
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FIRST_BUILD = os.path.join(ROOT, os.environ.get('UPDSTART_BUILD_ROOT', 'build'), 'win32')
# What scripts/make-msi reads, as paths in the tree.
PACKAGE_INPUTS = ('scripts/make-msi', 'packaging/updstart.wxs', 'src/app/Version.h',
                  'src/app/win32/resources/updstart.ico')
SHOWN_DIFFERENCES = 32


def copy_tree(destination):
    """The working tree as it is, uncommitted changes included, with the
    history beside it so that the copy finds the same last commit."""
    in_git = subprocess.run(['git', '-C', ROOT, 'rev-parse', '--is-inside-work-tree'],
                            capture_output=True, check=False).returncode == 0
    if not in_git:
        shutil.copytree(ROOT, destination, ignore=shutil.ignore_patterns('build', 'dist'))
        return
    subprocess.run(['git', 'clone', '--quiet', '--shared', '--no-checkout', ROOT, destination],
                   check=True)
    listed = subprocess.run(['git', '-C', ROOT, 'ls-files', '-z', '--cached', '--others',
                             '--exclude-standard'], capture_output=True, check=True).stdout
    for name in filter(None, listed.decode().split('\0')):
        source, copy = os.path.join(ROOT, name), os.path.join(destination, name)
        if os.path.isfile(source):  # a tracked file deleted in the tree stays out
            os.makedirs(os.path.dirname(copy), exist_ok=True)
            shutil.copy2(source, copy)


def build_settings(build_dir):
    """The project's own settings the first build was configured with, so that
    a distribution's host names do not show up as a difference."""
    with open(os.path.join(build_dir, 'CMakeCache.txt'), encoding='utf-8') as cache:
        return ['-D' + line.rstrip('\n') for line in cache
                if re.match(r'(UPDSTART_\w+|CMAKE_BUILD_TYPE):\w+=', line)]


def header_fields(program):
    """Where the PE header keeps the two fields a clock would change."""
    header = int.from_bytes(program[0x3C:0x40], 'little')
    fields = {}
    for name, offset, size in (('link time stamp', header + 8, 4), ('header checksum', header + 88, 4)):
        fields.update({offset + i: name for i in range(size)})
    return fields


def product_code(package):
    listed = subprocess.run(['msiinfo', 'export', package, 'Property'], capture_output=True, text=True,
                            check=True).stdout
    return re.search(r'^ProductCode\t(\S+)$', listed, re.M).group(1)


class ReproducibleTest(unittest.TestCase):
    def test_check_release_refuses_a_release_inside_the_checkout(self):
        """Its rebuild deletes dist/ first: a release there was once compared with
        the rebuild itself and passed, tampered or not."""
        os.makedirs(os.path.join(ROOT, 'build'), exist_ok=True)
        with tempfile.TemporaryDirectory(dir=os.path.join(ROOT, 'build'), prefix='release-') as inside, \
                tempfile.TemporaryDirectory(prefix='updstart-elsewhere-') as outside:
            sums = os.path.join(inside, 'SHA256SUMS')
            with open(sums, 'w', encoding='ascii') as file:
                file.write('0' * 64 + '  updstart.exe\n')
            os.symlink(inside, os.path.join(outside, 'release'))
            for given in (os.path.relpath(inside, ROOT), os.path.join(outside, 'release')):
                with self.subTest(given):
                    done = subprocess.run([os.path.join(ROOT, 'scripts', 'check-release'), given], cwd=ROOT,
                                          capture_output=True, text=True, timeout=60)
                    self.assertEqual((done.returncode, done.stdout), (2, ''), done.stderr)
                    self.assertIn('inside this checkout', done.stderr)
                    self.assertTrue(os.path.exists(sums))

    def test_buildinfo_names_the_packages_of_the_tools_the_release_runs(self):
        record = subprocess.run([os.path.join(ROOT, 'scripts', 'buildinfo')], capture_output=True, text=True,
                                check=True, env=dict(os.environ, SOURCE_DATE_EPOCH='1700000000')).stdout
        self.assertIn('\nSource-Date-Epoch: 1700000000\n', record)
        head = subprocess.run(['git', '-C', ROOT, 'rev-parse', 'HEAD'], capture_output=True, text=True)
        self.assertIn(f'\nCommit: {head.stdout.strip() if head.returncode == 0 else "unknown"}\n', record)
        for command in ('i686-w64-mingw32-g++', 'x86_64-w64-mingw32-g++', 'i686-w64-mingw32-windres',
                        'x86_64-w64-mingw32-ld', 'wixl', 'osslsigncode'):
            with self.subTest(command):
                path = os.path.realpath(shutil.which(command))
                package = subprocess.run(['dpkg', '-S', path], capture_output=True, text=True,
                                         check=True).stdout.split(':')[0]
                version = subprocess.run(['dpkg-query', '-W', '-f=${Version}', package], capture_output=True,
                                         text=True, check=True).stdout
                self.assertIn(f'\n {package} (= {version})\n', record)

    def test_a_package_changed_in_any_input_gets_a_new_product_code(self):
        """Windows Installer refuses a package whose product code is installed
        under another package code (1638): a rebuilt package must not keep it."""
        program = os.path.join(FIRST_BUILD, 'updstart.exe')
        if not os.path.exists(program):
            raise AssertionError('not built: ' + program)

        def append(name, data):
            return lambda tree: open(os.path.join(tree, name), 'ab').write(data)

        changes = {
            'nothing': lambda tree: None,
            'the WiX source': append('packaging/updstart.wxs', b'<!-- reworded -->\n'),
            'the icon': append('src/app/win32/resources/updstart.ico', b'\0'),
            'the make script': append('scripts/make-msi', b'# reworded\n'),
        }
        with tempfile.TemporaryDirectory(prefix='updstart-inputs-') as scratch:
            packages = {}
            for what, change in changes.items():
                tree = os.path.join(scratch, what.replace(' ', '-'))
                for name in PACKAGE_INPUTS:
                    os.makedirs(os.path.dirname(os.path.join(tree, name)), exist_ok=True)
                    shutil.copy2(os.path.join(ROOT, name), os.path.join(tree, name))
                change(tree)
                packages[what] = os.path.join(scratch, what.replace(' ', '-') + '.msi')
                subprocess.run([os.path.join(tree, 'scripts', 'make-msi'), '--arch', 'win32', '--program', program,
                                '--output', packages[what], '--epoch', '1700000000'], check=True)
            codes = {what: product_code(package) for what, package in packages.items()}
            self.assertEqual(len(set(codes.values())), len(codes), codes)
            # The same inputs in another folder: the same package.
            again = os.path.join(scratch, 'again.msi')
            subprocess.run([os.path.join(ROOT, 'scripts', 'make-msi'), '--arch', 'win32', '--program', program,
                            '--output', again, '--epoch', '1700000000'], check=True)
            with open(again, 'rb') as one, open(packages['nothing'], 'rb') as other:
                self.assertTrue(one.read() == other.read(), 'the same inputs in another folder give another package')

    def test_second_build_in_another_folder_is_identical(self):
        first_program = os.path.join(FIRST_BUILD, 'updstart.exe')
        if not os.path.exists(first_program):
            raise AssertionError('not built: ' + first_program)
        with tempfile.TemporaryDirectory(prefix='updstart-rebuild-') as scratch:
            tree = os.path.join(scratch, 'another', 'tree')
            copy_tree(tree)
            second_build = os.path.join(tree, 'build', 'win32')
            subprocess.run(['cmake', '-S', tree, '-B', second_build,
                            '-DCMAKE_TOOLCHAIN_FILE=' + os.path.join(tree, 'cmake', 'mingw-i686.cmake'),
                            *build_settings(FIRST_BUILD)],
                           check=True, stdout=subprocess.DEVNULL)
            subprocess.run(['cmake', '--build', second_build, '--target', 'updstart',
                            '-j', str(os.cpu_count() or 2)], check=True, stdout=subprocess.DEVNULL)
            with open(first_program, 'rb') as file:
                first = file.read()
            with open(os.path.join(second_build, 'updstart.exe'), 'rb') as file:
                second = file.read()
            if first == second:
                packages = []
                for tree_root, build_dir in ((ROOT, FIRST_BUILD), (tree, second_build)):
                    packages.append(os.path.join(scratch, f'package-{len(packages)}.msi'))
                    subprocess.run([os.path.join(tree_root, 'scripts', 'make-msi'), '--arch', 'win32',
                                    '--program', os.path.join(build_dir, 'updstart.exe'),
                                    '--output', packages[-1]], check=True)
                with open(packages[0], 'rb') as one, open(packages[1], 'rb') as other:
                    self.assertTrue(one.read() == other.read(),
                                    'the same program packed in another folder gives another package')
                return
        offsets = [offset for offset, (a, b) in enumerate(zip(first, second)) if a != b]
        fields = header_fields(first)
        lines = [f'  0x{offset:06x}: {first[offset]:02x} != {second[offset]:02x}  {fields.get(offset, "")}'.rstrip()
                 for offset in offsets[:SHOWN_DIFFERENCES]]
        if len(offsets) > SHOWN_DIFFERENCES:
            lines.append(f'  ... {len(offsets) - SHOWN_DIFFERENCES} more')
        if len(first) != len(second):
            lines.append(f'  sizes: {len(first)} != {len(second)} bytes')
        if any(fields.get(offset) == 'link time stamp' for offset in offsets):
            lines.append('  (build/win32 not built since the last commit, or with another '
                         'SOURCE_DATE_EPOCH? run scripts/build)')
        self.fail(f'{first_program} and its rebuild in another folder differ at '
                  f'{len(offsets)} offsets:\n' + '\n'.join(lines))


if __name__ == '__main__':
    unittest.main()
