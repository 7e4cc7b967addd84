"""Documents as kmcdoc holds them, through the host library's C entry points."""

import json
import os
from collections import namedtuple
from ctypes import byref, c_int16, c_int32, c_void_p

from . import _native
from ._dispatch import wrap
from ._errors import check

PROCESSES, CONFIGURATION = 1, 2
_KINDS = {"processes": PROCESSES, "configuration": CONFIGURATION}

Verdict = namedtuple("Verdict", "name valid message")
Verdict.__doc__ = "One verdict of kmcdoc validate: what was asked, whether it holds, the library's text."
ProcessVerdict = namedtuple("ProcessVerdict", "index identifier valid message")
ProcessVerdict.__doc__ = "One enabled process's own verdict; index counts from 1 as kmcdoc does."


class _Native:
    """The library's document, closed when the last Python object that needs it goes: the
    Document, and every object reached from it (they link back to the document)."""

    __slots__ = ("handle", "__weakref__")
    _close = staticmethod(_native.kmcdoc_close)

    def __init__(self, handle):
        self.handle = handle

    def __del__(self):
        handle, self.handle = self.handle, None
        if handle:
            self._close(handle)


def _opened(call, *args):
    handle, where = c_void_p(), _native.BSTR()
    hr = call(*args, byref(handle), byref(where))
    location = _native.take_bstr(where.value) if where.value else None
    check(hr, location)
    return Document(_Native(handle.value))


def open(path, max_size=0):  # noqa: A001 - the package's entry point reads as kmcdoc.open
    """Opens the processes or configuration document in the file at `path`, as kmcdoc reads it
    (a regular file of at most `max_size` bytes; 0 means kmcdoc's default of 512 MiB)."""
    return _opened(_native.kmcdoc_open_file, os.fsencode(path), max_size)


def parse(text, origin="<string>"):
    """Opens a document from its text (str, or bytes in UTF-8 or UTF-16 with a byte-order mark);
    `origin` names it in descriptions and warnings where a file name would stand."""
    data = text.encode("utf-8") if isinstance(text, str) else bytes(text)
    return _opened(_native.kmcdoc_open_text, data, len(data), origin.encode("utf-8"))


def new(kind="processes"):
    """An empty document: "processes" or "configuration". Set its lattice up with set_lattice()."""
    if kind not in _KINDS:
        raise ValueError(f"kind must be one of {', '.join(_KINDS)}, not {kind!r}")
    handle = c_void_p()
    check(_native.kmcdoc_new(_KINDS[kind], byref(handle)))
    return Document(_Native(handle.value))


class Document:
    """A processes or configuration document. Use it as a context manager, or close() it; the
    library's document goes once neither it nor any object reached from it is held any more."""

    def __init__(self, native):
        self._native = native

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __repr__(self):
        state = "closed" if self._native is None else self.kind
        return f"<kmcdoc.Document {state}>"

    def close(self):
        self._native = None

    def _handle(self):
        if self._native is None:
            raise ValueError("the document is closed")
        return self._native.handle

    @property
    def kind(self):
        """"processes" or "configuration"."""
        kind = c_int32()
        check(_native.kmcdoc_kind(self._handle(), byref(kind)))
        return "processes" if kind.value == PROCESSES else "configuration"

    def object(self, element):
        """The top-level object saved as `element`: "Lattice", "SpeciesList", "ProcessList",
        "InteractionList" (processes documents), "ConfigurationHistory" (configuration documents
        that have one)."""
        pointer = c_void_p()
        check(_native.kmcdoc_object(self._handle(), element.encode("utf-8"), byref(pointer)))
        return wrap(pointer.value, self._native)

    @property
    def lattice(self):
        return self.object("Lattice")

    @property
    def species(self):
        return self.object("SpeciesList")

    @property
    def processes(self):
        return self.object("ProcessList")

    @property
    def interactions(self):
        return self.object("InteractionList")

    @property
    def history(self):
        """The run's history, or None when the document has none."""
        pointer = c_void_p()
        if _native.kmcdoc_object(self._handle(), b"ConfigurationHistory", byref(pointer)) < 0:
            _native.take_error_description()  # having none is an answer here, not a failure
            return None
        return wrap(pointer.value, self._native)

    @property
    def configurations(self):
        """The configurations of a configuration document, in document order."""
        count = c_int32()
        check(_native.kmcdoc_configuration_count(self._handle(), byref(count)))
        found = []
        for index in range(count.value):
            pointer = c_void_p()
            check(_native.kmcdoc_configuration(self._handle(), index, byref(pointer)))
            found.append(wrap(pointer.value, self._native))
        return found

    @property
    def patch(self):
        """The size of a configuration document's patch in cells: (cells_u, cells_v)."""
        cells_u, cells_v = c_int32(), c_int32()
        check(_native.kmcdoc_patch(self._handle(), byref(cells_u), byref(cells_v)))
        return cells_u.value, cells_v.value

    def set_lattice(self, lattice_type, symmetry_group, length_u, length_v, angle_theta=90.0):
        """Sets up the lattice of a new document ("Square", "p 4 m m", 2.77, 2.77, 90)."""
        check(_native.kmcdoc_set_lattice(self._handle(), lattice_type.encode("utf-8"),
                                         symmetry_group.encode("utf-8"), length_u, length_v, angle_theta))

    def save(self, path):
        """Saves as kmcdoc convert does: the file is replaced safely."""
        check(_native.kmcdoc_save_file(self._handle(), os.fsencode(path)))

    def to_xml(self):
        """The document as it would be saved."""
        text = _native.BSTR()
        check(_native.kmcdoc_save_text(self._handle(), byref(text)))
        return _native.take_bstr(text.value)

    @property
    def modified(self):
        """Whether the document changed since it was opened, created or clear_modified()."""
        flag = c_int16()
        check(_native.kmcdoc_modified(self._handle(), byref(flag)))
        return flag.value != 0

    def clear_modified(self):
        check(_native.kmcdoc_clear_modified(self._handle()))

    @property
    def warnings(self):
        """What opening the document changed without failing, as kmcdoc prints its warnings."""
        count = c_int32()
        check(_native.kmcdoc_warning_count(self._handle(), byref(count)))
        lines = []
        for index in range(count.value):
            text = _native.BSTR()
            check(_native.kmcdoc_warning(self._handle(), index, byref(text)))
            lines.append(_native.take_bstr(text.value))
        return lines

    def _validate(self, every_process):
        text = _native.BSTR()
        check(_native.kmcdoc_verdicts(self._handle(), -1 if every_process else 0, byref(text)))
        return json.loads(_native.take_bstr(text.value))

    def verdicts(self):
        """The verdicts kmcdoc validate asks, in its order, as Verdict(name, valid, message)."""
        return [Verdict(**v) for v in self._validate(False)["verdicts"]]

    def process_verdicts(self):
        """Every enabled process's own verdict, as kmcdoc validate --all lists them."""
        return [ProcessVerdict(**v) for v in self._validate(True)["processes"]]
