"""Refusals raise with the library's own text, and no object outlives the script."""
import subprocess
import sys

import kmcdoc
import pytest
from conftest import EXAMPLES, kmcdoc_tool

BAD_GROUP = (EXAMPLES / "square_lattice.xml").read_text().replace("p 4 m m", "p 6 m m")


@pytest.mark.parametrize(
    "call, name, description",
    [
        (lambda d: d.species.CreateSpecies("CO"), "E_UNEXPECTED",
         "Requested species already exists in the species list."),
        (lambda d: d.processes[0].ActiveSite(7), "E_UNEXPECTED",
         "Index out of range for KMCProcess::get_ActiveSite"),
        (lambda d: setattr(d.species[0], "Radius", "wide"), "DISP_E_TYPEMISMATCH", "Type mismatch."),
        (lambda d: d.species.Item(2**40), "DISP_E_OVERFLOW", "Out of present range."),
        (lambda d: d.object("Configurations"), "E_INVALIDARG",
         'This document has no top-level object "Configurations"; it has Lattice, SpeciesList, ProcessList '
         "and InteractionList."),
        (lambda d: d.set_lattice("Square", "p 4 m m", 1, 1), "E_UNEXPECTED",
         "KMCLattice has already been initialised"),
    ],
)
def test_a_refused_call_raises_with_the_code_and_the_librarys_text(example, call, name, description):
    with pytest.raises(kmcdoc.ComError) as raised:
        call(example)
    assert (raised.value.name, raised.value.description) == (name, description)
    codes = {"E_UNEXPECTED": 0x8000FFFF, "E_INVALIDARG": 0x80070057, "DISP_E_TYPEMISMATCH": 0x80020005,
             "DISP_E_OVERFLOW": 0x8002000A}
    assert raised.value.hresult == codes[name]


def test_a_conversion_failure_names_the_argument(example):
    with pytest.raises(kmcdoc.ComError) as raised:
        example.processes[0].IsSiteValid("( 0 , 0 / 1 )", "active", 0)
    assert raised.value.argument == "kind"


@pytest.mark.parametrize("name, content", [("missing.xml", None), ("bad.xml", BAD_GROUP), ("other.xml", "<Other/>")])
def test_a_failed_open_says_what_kmcdoc_says(tmp_path, name, content):
    path = tmp_path / name
    if content is not None:
        path.write_text(content)
    code, _, printed = kmcdoc_tool("show", path)
    assert code != 0
    with pytest.raises(kmcdoc.ComError) as raised:
        kmcdoc.open(path)
    assert f"kmcdoc: {raised.value}\n" == printed


def test_names_that_are_not_members_suggest_close_ones(example):
    with pytest.raises(AttributeError, match="did you mean CreateSpecies"):
        example.species.CreateSpecie("X")
    with pytest.raises(AttributeError, match="read-only"):
        example.species[0].Name = "X"
    with pytest.raises(AttributeError, match="takes arguments"):
        example.processes[0].ActiveSite = 1
    with pytest.raises(TypeError, match="processNumber"):
        example.processes[0].IsValid()


def test_a_closed_document_refuses_further_use(example):
    species = example.species
    example.close()
    with pytest.raises(ValueError, match="closed"):
        example.lattice
    assert species.Count == 3  # objects already reached keep the document alive


# Run in a fresh interpreter, so that nothing another test holds is counted.
REFERENCES = """
import gc, sys
sys.path.insert(0, sys.argv[1])
import co_oxidation, kmcdoc
doc = co_oxidation.build()
held = [site.SiteSpecification for process in doc.processes for site in
        (process.ActiveSite(i) for i in range(process.NumberActiveSites))]
doc.verdicts(); doc.to_xml()
try:
    doc.species.CreateSpecies("CO")
except kmcdoc.ComError:
    pass
print(kmcdoc.can_unload())
del doc, held
gc.collect()
print(kmcdoc.can_unload())
"""


def test_every_reference_is_released_once():
    done = subprocess.run([sys.executable, "-c", REFERENCES, str(EXAMPLES / "python")], capture_output=True,
                          text=True)
    assert done.returncode == 0, done.stderr
    assert done.stdout.split() == ["False", "True"]
