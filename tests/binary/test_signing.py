"""Signs copies of both built programs and of an installer package with
scripts/sign, as scripts/release does, using a throw-away self-signed
certificate: each signature must verify against that certificate, and
removing it must give back the unsigned bytes that a rebuild reproduces."""
import os
import shutil
import subprocess
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.join(ROOT, os.environ.get('UPDSTART_BUILD_ROOT', 'build'))
SIGNING_TIME = 1700000000
PASSWORD = 'throw away; not on any command line'


def run(*args, env=None):
    done = subprocess.run(args, capture_output=True, text=True, env=env)
    if done.returncode != 0:
        raise AssertionError(f'{" ".join(args)} failed ({done.returncode}):\n{done.stdout}{done.stderr}')
    return done.stdout


def read(path):
    with open(path, 'rb') as file:
        return file.read()


class SigningTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix='updstart-signing-')
        cls.addClassCleanup(shutil.rmtree, cls.scratch)
        cls.certificate, key = cls.path('signer.crt'), cls.path('signer.key')
        run('openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', key,
            '-out', cls.certificate, '-days', '2', '-subj', '/CN=Throw-away test signer',
            '-addext', 'extendedKeyUsage=codeSigning')
        cls.pkcs12 = cls.path('signer.p12')
        run('openssl', 'pkcs12', '-export', '-inkey', key, '-in', cls.certificate, '-out', cls.pkcs12,
            '-passout', 'env:UPDSTART_SIGN_PASSWORD', env=dict(os.environ, UPDSTART_SIGN_PASSWORD=PASSWORD))
        cls.unsigned = {}
        for arch in ('win32', 'win64'):
            program = os.path.join(BUILD, arch, 'updstart.exe')
            if not os.path.exists(program):
                raise AssertionError('not built: ' + program)
            cls.unsigned[f'{arch}.exe'] = read(program)
        package = cls.path('win64.msi')
        run(os.path.join(ROOT, 'scripts', 'make-msi'), '--arch', 'win64',
            '--program', os.path.join(BUILD, 'win64', 'updstart.exe'), '--output', package)
        cls.unsigned['win64.msi'] = read(package)

    @classmethod
    def path(cls, name):
        return os.path.join(cls.scratch, name)

    def copies(self, folder, password=PASSWORD):
        """Unsigned copies of every file in a new folder, signed there by scripts/sign."""
        os.mkdir(self.path(folder))
        names = []
        for name, data in self.unsigned.items():
            names.append(os.path.join(self.path(folder), name))
            with open(names[-1], 'wb') as file:
                file.write(data)
        env = dict(os.environ, UPDSTART_SIGN_PKCS12=self.pkcs12, UPDSTART_SIGN_PASSWORD=password,
                   SOURCE_DATE_EPOCH=str(SIGNING_TIME))
        env.pop('UPDSTART_SIGN_TIMESTAMP_URL', None)
        return names, subprocess.run([os.path.join(ROOT, 'scripts', 'sign'), *names], env=env,
                                     capture_output=True, text=True)

    def test_signatures_verify_and_come_off_without_a_trace(self):
        signed, done = self.copies('signed')
        self.assertEqual(done.returncode, 0, done.stderr)
        again, done = self.copies('signed-again')
        self.assertEqual(done.returncode, 0, done.stderr)
        for path, repeat in zip(signed, again):
            name = os.path.basename(path)
            with self.subTest(name):
                self.assertNotEqual(read(path), self.unsigned[name], 'left unsigned')
                said = run('osslsigncode', 'verify', '-CAfile', self.certificate, '-in', path)
                self.assertIn('Throw-away test signer', said)
                self.assertRegex(said, r'(?i)digest algorithm\s*: SHA256')
                self.assertIn('Signing time: Nov 14 22:13:20 2023 GMT', said)
                self.assertEqual(read(path), read(repeat), 'the same key and time signed it to other bytes')
                stripped = path + '.stripped'
                run('osslsigncode', 'remove-signature', '-in', path, '-out', stripped)
                self.assertTrue(read(stripped) == self.unsigned[name],
                                'without its signature it is not the unsigned file')

    def test_wrong_password_fails_and_leaves_files_unsigned(self):
        names, done = self.copies('wrong-password', password='not the password')
        self.assertNotEqual(done.returncode, 0)
        self.assertIn('could not be signed', done.stderr)
        for path in names:
            self.assertTrue(read(path) == self.unsigned[os.path.basename(path)], path)


if __name__ == '__main__':
    unittest.main()
