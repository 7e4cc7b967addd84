"""Scripts drive the model by name and build documents that kmcdoc reads back as they were."""
import inspect

import co_oxidation
import kmcdoc
import pytest
from conftest import EXAMPLES, kmcdoc_json


def test_a_model_built_from_nothing_saves_and_kmcdoc_finds_the_same_verdicts(tmp_path):
    doc = co_oxidation.build()
    assert doc.modified
    saved = tmp_path / "co.xml"
    doc.save(saved)

    reported = kmcdoc_json("validate", "--all", saved)
    assert [v._asdict() for v in doc.verdicts()] == reported["verdicts"]
    assert [v._asdict() for v in doc.process_verdicts()] == reported["processes"]
    assert all(v.valid for v in doc.verdicts())
    assert [p["identifier"] for p in reported["processes"]] == [row[0] for row in co_oxidation.PROCESSES]

    reread = kmcdoc.open(saved)
    assert reread.to_xml() == doc.to_xml()
    assert not reread.modified
    # Everything but the interactions, which the script leaves out, is the example file's.
    example = kmcdoc.open(EXAMPLES / "square_lattice.xml")
    example.interactions.ClearInteractionList()
    assert _without_interaction_defaults(reread.to_xml()) == _without_interaction_defaults(example.to_xml())


def _without_interaction_defaults(xml):
    return xml[:xml.index("<InteractionList")]


def test_members_are_called_by_name_with_python_values(example):
    process = example.processes[5]
    spec = process.ActiveSite(1).SiteSpecification
    checks = [
        (process.IsValid(6), ("", True)),  # [out] message and [out,retval] flag
        (spec.GetSiteDetails(), (0, 0, 4)),  # three [out] parameters
        (spec.SiteDetailsAsString, "( 0 , 0 / 4 )"),
        (process.Enabled, True),
        (process.DistinctSymmetryIndices, list(range(8))),
        (process.BlockingSite(0).SourcePattern, "V"),
        (process.IsSpeciesUsed("O"), True),
        (example.processes.count, 6),  # names resolve without regard to case
        ([s.Name for s in example.species], ["CO", "O", "Pt"]),
        ([s.Name for s in example.species[1:]], ["O", "Pt"]),
        (example.species[-1].Name, "Pt"),
        (len(example.lattice.LatticeSiteList), 4),
    ]
    for got, expected in checks:
        assert got == expected
        assert type(got) is type(expected)
    with pytest.raises(IndexError):
        example.species[3]


def test_puts_change_the_document(example):
    species = example.species.CreateSpecies("CO2")
    species.Radius = 1.25
    species.category = "Adsorbate"
    assert (species.Radius, species.Category) == (1.25, "Adsorbate")
    assert example.modified
    example.clear_modified()
    assert not example.modified
    assert 'Name="CO2" Category="Adsorbate" Radius="1.25"' in example.to_xml()


def test_objects_compare_by_identity(example):
    first, again = example.species[0], example.species.ItemByName("CO")
    assert first is not again
    assert first == again and hash(first) == hash(again)
    assert first != example.species[1]
    assert len({first, again, example.species[1]}) == 2


def test_members_describe_themselves(example):
    process = example.processes[0]
    assert {"IsValid", "Identifier", "ActiveSite", "AddActiveSite"} <= set(dir(process))
    signature = inspect.signature(process.IsSiteValid)
    assert list(signature.parameters) == ["address", "kind", "index"]
    assert repr(signature.return_annotation) == "tuple[str, bool]"
    assert "IVxKMCActiveSite" in repr(inspect.signature(process.AddActiveSite).return_annotation)
    assert "read and write" in type(process).Identifier.__doc__


def test_a_configuration_document_hands_out_its_frames():
    doc = kmcdoc.open(EXAMPLES / "square_configurations.xml")
    assert (doc.kind, doc.patch) == ("configuration", (20, 20))
    assert [frame.FrameTime for frame in doc.configurations] == [0, 0.5, 1.0, 1.5]
    assert doc.history.NumActions == 3
    assert kmcdoc.new("configuration").history is None
