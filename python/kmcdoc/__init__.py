"""kmcdoc: KMC documents from Python.

Open a processes or configuration document, or build one from nothing, and drive every object of
the model by name, as any automation client does:

    import kmcdoc
    doc = kmcdoc.open("model.xml")
    for process in doc.processes:
        print(process.Identifier, process.IsValid(1))
    co = doc.species.CreateSpecies("CO2")
    co.Radius = 1.2
    doc.save("model.xml")

Objects are classes named after their interfaces (dir() and help() show their members);
properties read and write as attributes, everything else is a call. [out] parameters come back
with the result as a tuple in the order the member declares them; flags are bool, arrays lists.
A refused call raises ComError with the library's description. The package needs the shared
libraries of kmcdoc: it finds them where it was installed with them, or in KMCDOC_LIB_DIR.
"""

from ._dispatch import Object
from ._document import Document, ProcessVerdict, Verdict, new, open, parse
from ._errors import ComError
from ._native import can_unload

__all__ = ["ComError", "Document", "Object", "ProcessVerdict", "Verdict", "can_unload", "new", "open", "parse"]
