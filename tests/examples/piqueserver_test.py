"""The server example, examples/piqueserver/qormap.txt, run as the server runs
a map's metadata file, against a stand-in for the server's map class."""

import hashlib
import pathlib
import sys
import tempfile
import unittest

import qormap

TESTS = pathlib.Path(__file__).resolve().parents[1]
EXAMPLE = TESTS.parent / "examples" / "piqueserver" / "qormap.txt"
sys.path.insert(0, str(TESTS / "shared"))
from golden_maps import golden_map  # noqa: E402

# pyspades.vxl.VXLData reduced to what the example may rely on: it is given a
# file object holding the map.
STAND_IN = '''
class VXLData:
    def __init__(self, fp=None):
        self.data = fp.read()
'''


class PiqueserverExample(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        package = pathlib.Path(self.folder.name, "pyspades")
        package.mkdir()
        (package / "__init__.py").write_text("")
        (package / "vxl.py").write_text(STAND_IN)
        sys.path.insert(0, self.folder.name)
        self.metadata = {}
        exec(compile(EXAMPLE.read_text(), str(EXAMPLE), "exec"), self.metadata)

    def tearDown(self):
        sys.path.remove(self.folder.name)
        for module in ("pyspades.vxl", "pyspades"):
            sys.modules.pop(module, None)
        self.folder.cleanup()

    def test_gen_script_hands_the_map_of_the_seed_to_vxldata(self):
        from pyspades.vxl import VXLData

        self.assertTrue(all(self.metadata[key] for key in ("name", "author", "description")))
        made = self.metadata["gen_script"]("qormap", 1234)
        self.assertIsInstance(made, VXLData)
        self.assertEqual(made.data, qormap.generate(1234))
        # A seed as wide as an operator may type reaches the map -s gives.
        made = self.metadata["gen_script"]("qormap", 4000000000)
        self.assertEqual(hashlib.sha256(made.data).hexdigest(),
                         golden_map("-s 4000000000").sha256)


if __name__ == "__main__":
    unittest.main()
