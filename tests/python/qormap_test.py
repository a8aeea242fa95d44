"""The Python module as a server meets it: the golden maps, how arguments are
read and refused, files and their failures, threads, and the interpreter lock.

Run by CTest with the module's folder on PYTHONPATH, by the interpreter the
module was built for."""

import concurrent.futures
import errno
import hashlib
import inspect
import os
import pathlib
import subprocess
import sys
import tempfile
import textwrap
import threading
import unittest

import qormap

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "shared"))
from golden_maps import golden_map, golden_maps  # noqa: E402


def sha256(data):
    return hashlib.sha256(data).hexdigest()


class GoldenMaps(unittest.TestCase):
    def test_every_golden_map_comes_out_identical(self):
        for entry in golden_maps():
            with self.subTest(entry.arguments):
                data = qormap.generate(**entry.keywords)
                self.assertEqual(len(data), entry.size)
                self.assertEqual(sha256(data), entry.sha256)

    def test_version_is_the_project_version(self):
        self.assertEqual(qormap.__version__, os.environ.get("QORMAP_PROJECT_VERSION", qormap.__version__))
        self.assertRegex(qormap.__version__, r"^\d+\.\d+\.\d+$")


class Arguments(unittest.TestCase):
    # Python ints beyond what the command reads, and the golden map each gives:
    # seeds wrap modulo 2**32, counts clamp (to int32 first, then as -b -p -c).
    SAME_MAP = [
        (dict(seed=2**32), "-s 0"),
        (dict(seed=2**64 + 1), "-s 1"),
        (dict(seed=-(2**32) + 42), "-s 42"),
        (dict(seed=2**200 - 1), "-s -1"),
        (dict(seed=4000000000 - 2**32), "-s 4000000000"),
        (dict(seed=1, bumpiness=-5), "-s 1 -b 0"),
        (dict(seed=1, bumpiness=10**30), "-s 1 -b 100"),
        (dict(seed=1, pillars=-(2**40), connectors=0), "-s 1 -p 0 -c 0"),
        (dict(seed=6, pillars=2**40), "-s 6 -p 65536 -c 300"),
        (dict(seed=5, connectors=2**70), "-s 5 -c 65536"),
        (dict(seed=7, debug=True), "-s 7 -d"),
    ]

    def test_wide_and_out_of_range_ints_give_the_map_the_command_gives(self):
        for keywords, arguments in self.SAME_MAP:
            with self.subTest(keywords=keywords):
                self.assertEqual(sha256(qormap.generate(**keywords)), golden_map(arguments).sha256)

    WRONG_TYPES = [
        ((None,), {}),
        ((1.0,), {}),
        (("1",), {}),
        ((True,), {}),
        ((b"1",), {}),
        ((1,), dict(bumpiness=50.0)),
        ((1,), dict(pillars="400")),
        ((1,), dict(connectors=None)),
        ((1,), dict(pillars=False)),
        ((1,), dict(debug=1)),
        ((1,), dict(debug=None)),
        ((1, 50), {}),  # the options are keyword-only
        ((1,), dict(bumps=50)),
        ((), {}),
    ]

    def test_wrong_types_raise_type_error(self):
        for args, keywords in self.WRONG_TYPES:
            with self.subTest(args=args, keywords=keywords):
                with self.assertRaises(TypeError):
                    qormap.generate(*args, **keywords)
                with self.assertRaises(TypeError):
                    qormap.write("unused.vxl", *args, **keywords)
        for path in (None, 3, 1.5):
            with self.subTest(path=path), self.assertRaises(TypeError):
                qormap.write(path, 1)


class Defaults(unittest.TestCase):
    def test_the_signatures_show_the_librarys_defaults(self):
        # An option left out takes the library's default; the signatures that
        # help() shows must give the same values, which must make the same map.
        shown = [{name: parameter.default
                  for name, parameter in inspect.signature(function).parameters.items()
                  if parameter.kind is parameter.KEYWORD_ONLY}
                 for function in (qormap.generate, qormap.write)]
        self.assertEqual(shown[0], shown[1])
        self.assertEqual(sorted(shown[0]), ["bumpiness", "connectors", "debug", "pillars"])
        self.assertEqual(sha256(qormap.generate(1, **shown[0])), sha256(qormap.generate(1)))


class Files(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()

    def tearDown(self):
        for name in os.listdir(self.folder):
            os.remove(os.path.join(self.folder, name))
        os.rmdir(self.folder)

    def test_write_takes_str_bytes_and_path_like(self):
        for path in (os.path.join(self.folder, "str.vxl"),
                     os.fsencode(os.path.join(self.folder, "bytes.vxl")),
                     pathlib.Path(self.folder, "päth-like ✓.vxl")):
            with self.subTest(path=path):
                self.assertIsNone(qormap.write(path, 7, debug=True))
                with open(path, "rb") as written:
                    self.assertEqual(sha256(written.read()), golden_map("-s 7 -d").sha256)

    def test_failures_raise_os_error_naming_the_path(self):
        cases = [
            (self.folder, errno.EISDIR),
            (os.path.join(self.folder, "missing", "map.vxl"), errno.ENOENT),
            (pathlib.Path(self.folder, "missing", "map.vxl"), errno.ENOENT),
            ("", errno.ENOENT),
        ]
        for path, expected in cases:
            with self.subTest(path=path):
                with self.assertRaises(OSError) as raised:
                    qormap.write(path, 1)
                self.assertEqual(raised.exception.errno, expected)
                self.assertIs(raised.exception.filename, path)

    def test_a_read_only_file_is_refused_and_kept(self):
        path = os.path.join(self.folder, "ReadOnly.vxl")
        with open(path, "wb") as earlier:
            earlier.write(b"earlier map")
        os.chmod(path, 0o444)  # refused to root as well
        with self.assertRaises(PermissionError) as raised:
            qormap.write(path, 1)
        self.assertEqual(raised.exception.filename, path)
        with open(path, "rb") as kept:
            self.assertEqual(kept.read(), b"earlier map")

    @unittest.skipUnless(sys.platform == "linux", "reads /proc and limits address space")
    def test_out_of_memory_raises_memory_error_and_the_next_map_is_whole(self):
        # A child process that leaves itself 1 MiB of address space to spare.
        script = textwrap.dedent("""
            import hashlib, resource, qormap
            with open("/proc/self/status") as status:
                size = next(int(line.split()[1]) for line in status if line.startswith("VmSize:"))
            resource.setrlimit(resource.RLIMIT_AS, (size * 1024 + (1 << 20), resource.RLIM_INFINITY))
            try:
                qormap.generate(1)
                print("no error")
            except MemoryError:
                print("MemoryError")
            resource.setrlimit(resource.RLIMIT_AS, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
            print(hashlib.sha256(qormap.generate(1)).hexdigest())
        """)
        child = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                               check=False)
        self.assertEqual(child.returncode, 0, child.stderr)
        self.assertEqual(child.stdout.split(), ["MemoryError", golden_map("-s 1").sha256])


class Threads(unittest.TestCase):
    def test_eight_threads_at_once_all_get_their_maps(self):
        entries = golden_maps()[:8]
        start = threading.Barrier(len(entries), timeout=60)  # a hang guard, not a timing

        def generate(entry):
            start.wait()
            return sha256(qormap.generate(**entry.keywords))

        with concurrent.futures.ThreadPoolExecutor(len(entries)) as pool:
            hashes = list(pool.map(generate, entries))
        self.assertEqual(hashes, [entry.sha256 for entry in entries])

    def test_another_thread_runs_while_a_map_is_made(self):
        # With a switch interval far beyond the test, this thread keeps the
        # interpreter lock unless generate() lets it go; the other thread
        # can only record its progress while a map is being made.
        released = threading.Event()
        progressed = threading.Event()

        def other():
            released.wait()
            progressed.set()

        interval = sys.getswitchinterval()
        sys.setswitchinterval(1000)
        thread = threading.Thread(target=other)
        thread.start()
        try:
            released.set()
            # Several maps, in case the machine is too busy to run the other thread at once.
            for _ in range(20):
                qormap.generate(1, pillars=0, connectors=0)
                if progressed.is_set():
                    break
            self.assertTrue(progressed.is_set())
        finally:
            sys.setswitchinterval(interval)
            thread.join()


if __name__ == "__main__":
    unittest.main()
