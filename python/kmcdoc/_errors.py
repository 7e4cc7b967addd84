"""Failures of the library as Python exceptions."""

from . import _native


class ComError(Exception):
    """A call the library refused.

    hresult      the result code, as an unsigned 32-bit number (0x8000FFFF)
    name         its name ("E_UNEXPECTED"), or the number in hexadecimal when it has none
    description  the library's description, as kmcdoc prints it
    location     where reading stood when a document failed to load ("model.xml:3: Lattice"),
                 otherwise None
    argument     the parameter a call could not pass, when the failure names one, otherwise None

    str() gives what kmcdoc prints after its name: the location, when there is one, before the
    description.
    """

    def __init__(self, hresult, description, location=None, argument=None):
        self.hresult = hresult & 0xFFFFFFFF
        self.name, standard_text = _native.result_name_and_text(hresult)
        self.description = description if description else standard_text
        self.location = location
        self.argument = argument
        super().__init__(str(self))

    def __str__(self):
        text = f"{self.location}: {self.description}" if self.location else self.description
        return f"{text} (argument {self.argument!r})" if self.argument else text

    def __repr__(self):
        return f"ComError(0x{self.hresult:08X} {self.name}: {self})"


def check(hresult, location=None):
    """Raises ComError for a failed call of the host library, with the description it recorded."""
    if hresult < 0:
        raise ComError(hresult, _native.take_error_description(), location)
    return hresult
