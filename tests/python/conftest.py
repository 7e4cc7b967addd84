"""What the Python tests share: the example model script, kmcdoc itself, the example files."""
import json
import os
import subprocess
import sys
from pathlib import Path

import pytest

SOURCE = Path(__file__).resolve().parents[2]
EXAMPLES = SOURCE / "examples"
sys.path.insert(0, str(EXAMPLES / "python"))


def kmcdoc_tool(*args):
    """Runs the kmcdoc of this build tree: (exit code, standard output, standard error)."""
    # An instrumented kmcdoc carries its own sanitizer runtime; the one preloaded for python3
    # would clash with it.
    environment = {name: value for name, value in os.environ.items() if name != "LD_PRELOAD"}
    done = subprocess.run([os.environ["KMCDOC_TOOL"], *map(str, args)], capture_output=True, text=True,
                          env=environment)
    return done.returncode, done.stdout, done.stderr


def kmcdoc_json(*args):
    code, out, err = kmcdoc_tool(*args, "--json")
    assert code == 0, err
    return json.loads(out)


@pytest.fixture
def example():
    import kmcdoc

    return kmcdoc.open(EXAMPLES / "square_lattice.xml")
