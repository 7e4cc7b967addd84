"""Objects of the library driven by name through IDispatch.

Every interface becomes a Python class the first time an object of it is met, built from the
object's type information (ITypeInfo): a property for every get without arguments (with its put
when there is one), a method for every call and for every get that takes arguments. Names are
resolved through GetIDsOfNames and members are called through Invoke, so a script sees exactly
what any automation client sees; names that differ only in case resolve too.
"""

import ctypes
import difflib
import inspect
import numbers
from ctypes import POINTER, byref, c_int32, c_uint16, c_uint32, c_void_p

from . import _native
from ._errors import ComError
from ._native import (
    BSTR,
    DISPATCH_METHOD,
    DISPATCH_PROPERTYGET,
    DISPATCH_PROPERTYPUT,
    DISPID_PROPERTYPUT,
    DISPPARAMS,
    EXCEPINFO,
    FUNCDESC,
    GUID,
    HRESULT,
    TYPEATTR,
    VARIANT,
)

# Slots of IDispatch and ITypeInfo after IUnknown's three.
_GET_TYPE_INFO, _GET_IDS_OF_NAMES, _INVOKE = 4, 5, 6
_GET_TYPE_ATTR, _GET_FUNC_DESC, _GET_NAMES = 3, 5, 7
_GET_DOCUMENTATION, _GET_REF_TYPE_INFO, _RELEASE_TYPE_ATTR, _RELEASE_FUNC_DESC = 12, 14, 19, 20

_INT32 = range(-(1 << 31), 1 << 31)
_INT64 = range(-(1 << 63), 1 << 63)


class _TypeName:
    """A type as signatures show it: bare, without quotes."""

    __slots__ = ("name", "interface")

    def __init__(self, name, interface=False):
        self.name = name
        self.interface = interface

    def __repr__(self):
        return self.name


_SIMPLE_TYPES = {
    _native.VT_I2: "int",
    _native.VT_I4: "int",
    _native.VT_I8: "int",
    _native.VT_R4: "float",
    _native.VT_R8: "float",
    _native.VT_BSTR: "str",
    _native.VT_BOOL: "bool",
    _native.VT_VARIANT: "object",
    _native.VT_DISPATCH: "Object",
    _native.VT_UNKNOWN: "Object",
}


class _Param:
    __slots__ = ("name", "type", "output", "retval")

    def __init__(self, name, type_, flags):
        self.name, self.type = name, type_
        self.output = bool(flags & _native.PARAMFLAG_FOUT)
        self.retval = bool(flags & _native.PARAMFLAG_FRETVAL)


class _Function:
    """One entry of the vtable: its parameters in order ([out,retval] last when it has one)."""

    def __init__(self, params):
        self.params = params
        self.inputs = [p for p in params if not p.output]
        self.outputs = [p for p in params if p.output]
        self.passed = [p for p in params if not p.retval]

    def returns(self):
        types = [p.type for p in self.outputs]
        if not types:
            return _TypeName("None")
        if len(types) == 1:
            return types[0]
        return _TypeName("tuple[" + ", ".join(map(repr, types)) + "]")


class _Member:
    def __init__(self, name, dispid):
        self.name = name
        self.dispid = dispid
        self.get = self.put = self.method = None

    def is_property(self):
        """Read (and maybe written) as an attribute: a get without arguments, or a bare put."""
        return (self.get is not None and not self.get.inputs) or (self.get is None and self.method is None)


# ---- type information


def _type_info(pointer):
    info = c_void_p()
    hr = _native.vtable_call(
        pointer, _GET_TYPE_INFO, HRESULT, [c_uint32, c_uint32, POINTER(c_void_p)], 0, 0, byref(info)
    )
    if hr < 0 or not info.value:
        raise ComError(hr if hr < 0 else -2147467259, "The object has no type information.")
    return info.value


def _documentation_name(info, memid):
    name = BSTR()
    hr = _native.vtable_call(
        info,
        _GET_DOCUMENTATION,
        HRESULT,
        [c_int32, POINTER(BSTR), c_void_p, c_void_p, c_void_p],
        memid,
        byref(name),
        None,
        None,
        None,
    )
    return _native.take_bstr(name.value) if hr >= 0 else "?"


def _names(info, memid, room):
    names = (BSTR * room)()
    count = c_uint32()
    hr = _native.vtable_call(
        info, _GET_NAMES, HRESULT, [c_int32, POINTER(BSTR), c_uint32, POINTER(c_uint32)], memid, names, room,
        byref(count)
    )
    if hr < 0:
        return []
    return [_native.take_bstr(names[i]) for i in range(count.value)]


def _referenced_name(info, hreftype):
    target = c_void_p()
    hr = _native.vtable_call(info, _GET_REF_TYPE_INFO, HRESULT, [c_uint32, POINTER(c_void_p)], hreftype,
                             byref(target))
    if hr < 0 or not target.value:
        return "Object"
    try:
        return _documentation_name(target.value, _native.MEMBERID_NIL)
    finally:
        _native.release(target.value)


def _value_type(info, desc):
    """The type of a value: what an [out] parameter points at, or an input itself."""
    vt = desc.vt
    if vt == _native.VT_PTR and desc.target.lptdesc.contents.vt == _native.VT_USERDEFINED:
        return _TypeName(_referenced_name(info, desc.target.lptdesc.contents.target.hreftype), interface=True)
    if vt == _native.VT_SAFEARRAY:
        return _TypeName(f"list[{_value_type(info, desc.target.lptdesc.contents)!r}]")
    name = _SIMPLE_TYPES.get(vt, f"<type {vt}>")
    return _TypeName(name, interface=vt in (_native.VT_DISPATCH, _native.VT_UNKNOWN))


def _function(info, funcdesc, names):
    params = []
    for index in range(funcdesc.cParams):
        elem = funcdesc.lprgelemdescParam[index]
        flags = elem.paramdesc.wParamFlags
        desc = elem.tdesc.target.lptdesc.contents if flags & _native.PARAMFLAG_FOUT else elem.tdesc
        name = names[index + 1] if index + 1 < len(names) else "value"
        params.append(_Param(name, _value_type(info, desc), flags))
    return _Function(params)


def _type_attr(info):
    """The interface id and the number of functions the type information describes."""
    attr = POINTER(TYPEATTR)()
    _check_info(_native.vtable_call(info, _GET_TYPE_ATTR, HRESULT, [POINTER(POINTER(TYPEATTR))], byref(attr)))
    try:
        return GUID.from_buffer_copy(attr.contents.guid), attr.contents.cFuncs
    finally:
        _native.vtable_call(info, _RELEASE_TYPE_ATTR, None, [POINTER(TYPEATTR)], attr)


def _describe(info, count):
    """The interface's name and its members, in slot order; a get and a put share a member."""
    members = {}
    for index in range(count):
        funcdesc = POINTER(FUNCDESC)()
        _check_info(_native.vtable_call(info, _GET_FUNC_DESC, HRESULT, [c_uint32, POINTER(POINTER(FUNCDESC))],
                                        index, byref(funcdesc)))
        try:
            desc = funcdesc.contents
            names = _names(info, desc.memid, desc.cParams + 1)
            member = members.get(desc.memid)
            if member is None:
                member = members[desc.memid] = _Member(names[0], desc.memid)
            kind = {DISPATCH_PROPERTYGET: "get", DISPATCH_PROPERTYPUT: "put"}.get(desc.invkind, "method")
            setattr(member, kind, _function(info, desc, names))
        finally:
            _native.vtable_call(info, _RELEASE_FUNC_DESC, None, [POINTER(FUNCDESC)], funcdesc)
    return _documentation_name(info, _native.MEMBERID_NIL), list(members.values())


def _check_info(hr):
    if hr < 0:
        raise ComError(hr, "The object's type information cannot be read.")


# ---- values crossing the boundary


def to_variant(value, slot, param, name):
    """Writes an input argument into `slot`. Strings are allocated here and freed by the caller;
    objects are borrowed, as the callee does not keep an [in] reference it did not add."""
    if value is None:
        slot.vt = _native.VT_DISPATCH if param.type.interface else _native.VT_NULL
    elif isinstance(value, Object):
        slot.vt = _native.VT_DISPATCH
        slot.value.pointer = value._pointer
    elif isinstance(value, bool):
        slot.vt = _native.VT_BOOL
        slot.value.boolVal = -1 if value else 0
    elif isinstance(value, numbers.Integral):
        value = int(value)
        if value in _INT32:
            slot.vt, slot.value.lVal = _native.VT_I4, value
        elif value in _INT64:
            slot.vt, slot.value.llVal = _native.VT_I8, value
        else:
            raise OverflowError(f"{name}: {value} does not fit in 64 bits")
    elif isinstance(value, numbers.Real):
        slot.vt, slot.value.dblVal = _native.VT_R8, float(value)
    elif isinstance(value, str):
        slot.vt, slot.value.pointer = _native.VT_BSTR, _native.make_bstr(value)
    else:
        raise TypeError(f"{name}: a {type(value).__name__} cannot be passed to the library")


def _array_to_list(array, keep):
    vt = c_uint16()
    lower, upper = c_int32(), c_int32()
    for hr in (
        _native.SafeArrayGetVartype(array, byref(vt)),
        _native.SafeArrayGetLBound(array, 1, byref(lower)),
        _native.SafeArrayGetUBound(array, 1, byref(upper)),
    ):
        if hr < 0:
            raise ComError(hr, None)
    count = upper.value - lower.value + 1
    data = c_void_p()
    if _native.SafeArrayAccessData(array, byref(data)) < 0:
        raise ComError(-2147418113, "The array cannot be read.")
    try:
        element = VARIANT()
        size = _ELEMENT_SIZES.get(vt.value)
        if size is None:
            raise TypeError(f"the library handed out an array of type {vt.value}, which kmcdoc cannot read")
        items = []
        for index in range(count):
            address = data.value + index * size
            if vt.value == _native.VT_VARIANT:
                items.append(_read_variant(VARIANT.from_address(address), keep))
                continue
            element.vt = vt.value
            ctypes.memmove(ctypes.addressof(element.value), address, size)
            items.append(_read_variant(element, keep))
        return items
    finally:
        _native.SafeArrayUnaccessData(array)


_ELEMENT_SIZES = {
    _native.VT_I2: 2,
    _native.VT_BOOL: 2,
    _native.VT_I4: 4,
    _native.VT_R4: 4,
    _native.VT_R8: 8,
    _native.VT_I8: 8,
    _native.VT_BSTR: 8,
    _native.VT_DISPATCH: 8,
    _native.VT_UNKNOWN: 8,
    _native.VT_VARIANT: 24,
}


def _read_variant(variant, keep):
    """The value a VARIANT holds, which stays the VARIANT's: objects get a reference of their own."""
    vt = variant.vt
    value = variant.value
    if vt & _native.VT_ARRAY:
        return _array_to_list(value.pointer, keep) if value.pointer else []
    readers = {
        _native.VT_EMPTY: lambda: None,
        _native.VT_NULL: lambda: None,
        _native.VT_I1: lambda: ctypes.c_int8(value.bVal).value,
        _native.VT_UI1: lambda: value.bVal,
        _native.VT_I2: lambda: value.iVal,
        _native.VT_UI2: lambda: value.uiVal,
        _native.VT_I4: lambda: value.lVal,
        _native.VT_INT: lambda: value.lVal,
        _native.VT_UI4: lambda: value.ulVal,
        _native.VT_UINT: lambda: value.ulVal,
        _native.VT_I8: lambda: value.llVal,
        _native.VT_UI8: lambda: value.ullVal,
        _native.VT_R4: lambda: value.fltVal,
        _native.VT_R8: lambda: value.dblVal,
        _native.VT_BOOL: lambda: value.boolVal != 0,
        _native.VT_ERROR: lambda: value.scode,
        _native.VT_BSTR: lambda: _native.read_bstr(value.pointer),
        _native.VT_DISPATCH: lambda: wrap(value.pointer, keep, add_ref=True) if value.pointer else None,
        _native.VT_UNKNOWN: lambda: _wrap_unknown(value.pointer, keep),
    }
    reader = readers.get(vt)
    if reader is None:
        raise TypeError(f"the library handed out a value of type {vt}, which kmcdoc cannot read")
    return reader()


def take_variant(variant, keep):
    """The value of a VARIANT handed over to the caller, which is then cleared."""
    try:
        return _read_variant(variant, keep)
    finally:
        _native.VariantClear(byref(variant))


def _wrap_unknown(pointer, keep):
    if not pointer:
        return None
    dispatch = _native.query_interface(pointer, _native.IID_IDispatch)
    if dispatch is None:
        raise TypeError("the library handed out an object that cannot be driven by name")
    return wrap(dispatch, keep)


# ---- calls


def _free_inputs(slots):
    for slot in slots:
        if slot.vt == _native.VT_BSTR:
            _native.SysFreeString(slot.value.pointer)


def _failure(hr, excepinfo, argerr, params):
    """ComError for a failed Invoke: the member's own code and description when it raised, the
    dispatch code with the parameter it names otherwise."""
    source, description, helpfile = excepinfo.bstrSource, excepinfo.bstrDescription, excepinfo.bstrHelpFile
    text = _native.take_bstr(description) if description else None
    for bstr in (source, helpfile):
        if bstr:
            _native.SysFreeString(bstr)
    if hr == _native.DISP_E_EXCEPTION:
        code = excepinfo.scode or excepinfo.wCode or hr
        return ComError(code, text)
    position = len(params) - 1 - argerr
    argument = params[position].name if 0 <= position < len(params) else None
    return ComError(hr, text, argument=argument)


class _Call:
    """One Invoke: the arguments in parameter order, [out] parameters passed by reference."""

    def __init__(self, function, values, flags):
        # The [out,retval] is never passed; Invoke hands it back as the result.
        self.params = function.passed
        self.has_retval = len(function.passed) < len(function.params)
        self.flags = flags
        self.slots = (VARIANT * len(self.params))()
        self.outputs = []
        inputs = iter(values)
        try:
            # Positional arguments are stored last to first.
            for position, param in enumerate(self.params):
                slot = self.slots[len(self.params) - 1 - position]
                if param.output:
                    target = VARIANT()
                    self.outputs.append(target)
                    slot.vt = _native.VT_BYREF | _native.VT_VARIANT
                    slot.value.pointer = ctypes.addressof(target)
                else:
                    to_variant(next(inputs), slot, param, param.name)
        except BaseException:
            _free_inputs(self.slots)
            raise

    def run(self, pointer, dispid, keep):
        named = c_int32(DISPID_PROPERTYPUT)
        is_put = self.flags == DISPATCH_PROPERTYPUT
        params = DISPPARAMS(self.slots, ctypes.pointer(named) if is_put else None, len(self.params),
                            1 if is_put else 0)
        result = VARIANT()
        excepinfo = EXCEPINFO()
        argerr = c_uint32(0xFFFFFFFF)
        try:
            hr = _native.vtable_call(
                pointer,
                _INVOKE,
                HRESULT,
                [c_int32, POINTER(GUID), c_uint32, c_uint16, POINTER(DISPPARAMS), POINTER(VARIANT),
                 POINTER(EXCEPINFO), POINTER(c_uint32)],
                dispid,
                byref(_native.IID_NULL),
                0,
                self.flags,
                byref(params),
                None if is_put else byref(result),
                byref(excepinfo),
                byref(argerr),
            )
        finally:
            _free_inputs(self.slots)
        values = [take_variant(target, keep) for target in self.outputs]
        returned = take_variant(result, keep)
        if hr < 0:
            raise _failure(hr, excepinfo, argerr.value, self.params)
        if self.has_retval:
            values.append(returned)
        if not values:
            return None
        return values[0] if len(values) == 1 else tuple(values)


# ---- the objects


class Object:
    """An object of the library. Its class, named after its interface, has one attribute per
    member of the interface; dir() lists them and help() shows their parameters."""

    __slots__ = ("_pointer", "_identity", "_keep", "__weakref__")
    _interface = "IDispatch"
    _members = {}
    _release = staticmethod(_native.release)

    def __init__(self, pointer, keep):
        """Takes over one reference to `pointer`. `keep` is held as long as the object is: the
        document the object belongs to, which must outlive it."""
        object.__setattr__(self, "_pointer", pointer)
        object.__setattr__(self, "_keep", keep)
        object.__setattr__(self, "_identity", _native.identity(pointer))

    def __del__(self):
        pointer = getattr(self, "_pointer", None)
        if pointer:
            object.__setattr__(self, "_pointer", None)
            self._release(pointer)

    def __eq__(self, other):
        return isinstance(other, Object) and self._identity == other._identity

    def __hash__(self):
        return hash(self._identity)

    def __repr__(self):
        return f"<kmcdoc {self._interface} object at 0x{self._identity:x}>"

    def __dir__(self):
        return sorted(self._members)

    def _member(self, name):
        """The member `name` resolves to through GetIDsOfNames, without regard to case."""
        dispid = _dispid(self._pointer, name)
        for member in self._members.values():
            if member.dispid == dispid:
                return member
        spelled = {m.lower(): m for m in self._members}
        close = difflib.get_close_matches(name.lower(), list(spelled), n=3, cutoff=0.6)
        hint = "did you mean " + " or ".join(spelled[c] for c in close) + "?" if close else "see dir()"
        raise AttributeError(f"{self._interface} has no member {name!r}; {hint}", name=name, obj=self)

    def __getattr__(self, name):
        # Arrives here: a name the class does not spell exactly, or a property that cannot be read.
        if name.startswith("_"):
            raise AttributeError(name)
        member = self._member(name)
        if member.name == name:
            raise AttributeError(f"{self._interface}.{name} can only be set", name=name, obj=self)
        return getattr(self, member.name)

    def __setattr__(self, name, value):
        member = self._members.get(name) or self._member(name)
        if not member.is_property():
            raise AttributeError(f"{self._interface}.{member.name} takes arguments and cannot be set", name=name,
                                 obj=self)
        object.__setattr__(self, member.name, value)

    def _invoke(self, member, function, flags, values):
        if self._pointer is None:
            raise ValueError(f"the {self._interface} object has been released")
        return _Call(function, values, flags).run(self._pointer, member.dispid, self._keep)


def _signature(function):
    params = [inspect.Parameter("self", inspect.Parameter.POSITIONAL_OR_KEYWORD)]
    params += [inspect.Parameter(p.name, inspect.Parameter.POSITIONAL_OR_KEYWORD, annotation=p.type)
               for p in function.inputs]
    return inspect.Signature(params, return_annotation=function.returns())


def _method(interface, member, function, flags):
    signature = _signature(function)

    def call(self, *args, **kwargs):
        bound = signature.bind(self, *args, **kwargs)
        return self._invoke(member, function, flags, list(bound.arguments.values())[1:])

    call.__name__ = member.name
    call.__qualname__ = f"{interface}.{member.name}"
    call.__signature__ = signature
    outputs = ", ".join(f"{p.name}: {p.type!r}" for p in function.outputs)
    call.__doc__ = f"{interface}.{member.name}: returns {outputs or 'nothing'}."
    return call


def _property(interface, member):
    def read(self):
        if member.get is None:
            raise AttributeError(f"{interface}.{member.name} can only be set")
        return self._invoke(member, member.get, DISPATCH_PROPERTYGET, [])

    def write(self, value):
        if member.put is None:
            raise AttributeError(f"{interface}.{member.name} is read-only")
        self._invoke(member, member.put, DISPATCH_PROPERTYPUT, [value])

    shown = member.get.returns() if member.get else member.put.inputs[-1].type
    access = "read and write" if member.get and member.put else "read-only" if member.get else "write-only"
    return property(read, write, doc=f"{member.name}: {shown!r} ({access})")


def _collection(namespace):
    """Lists with Count and Item are sized, indexed from 0 and iterable."""

    def length(self):
        return self.Count

    def item(self, index):
        count = self.Count
        if isinstance(index, slice):
            return [self.Item(i) for i in range(*index.indices(count))]
        if not -count <= index < count:
            raise IndexError(f"index {index} out of range for {count} items")
        return self.Item(index % count)

    def items(self):
        for index in range(self.Count):
            yield self.Item(index)

    namespace.update(__len__=length, __getitem__=item, __iter__=items)


_classes = {}


def _class_for(pointer):
    info = _type_info(pointer)
    try:
        iid, count = _type_attr(info)
        cls = _classes.get(bytes(iid))
        if cls is None:
            cls = _classes[bytes(iid)] = _make_class(pointer, iid, *_describe(info, count))
        return cls
    finally:
        _native.release(info)


def _make_class(pointer, iid, interface, members):
    for member in members:
        # Members are called by the DISPID that GetIDsOfNames gives for their names.
        member.dispid = _dispid(pointer, member.name)
    namespace = {
        "__slots__": (),
        "__module__": "kmcdoc",
        "__doc__": f"An object of the library behind the automation interface {interface} {iid}.",
        "_interface": interface,
        "_members": {m.name: m for m in members},
    }
    for member in members:
        if member.is_property():
            namespace[member.name] = _property(interface, member)
        elif member.get is not None:
            namespace[member.name] = _method(interface, member, member.get, DISPATCH_PROPERTYGET)
        else:
            namespace[member.name] = _method(interface, member, member.method, DISPATCH_METHOD)
    named = namespace["_members"]
    if "Count" in named and "Item" in named and named["Count"].is_property():
        _collection(namespace)
    return type(interface, (Object,), namespace)


def _dispid(pointer, name):
    """The DISPID of `name` on the object, or None when it names no member."""
    buffer = _native.ole_name(name)
    names = (c_void_p * 1)(ctypes.addressof(buffer))
    dispid = c_int32()
    hr = _native.vtable_call(
        pointer, _GET_IDS_OF_NAMES, HRESULT,
        [POINTER(GUID), POINTER(c_void_p), c_uint32, c_uint32, POINTER(c_int32)],
        byref(_native.IID_NULL), names, 1, 0, byref(dispid),
    )
    return dispid.value if hr >= 0 else None


def wrap(pointer, keep, add_ref=False):
    """The object at `pointer` (an IDispatch), taking over one reference unless `add_ref`."""
    if add_ref:
        _native.add_ref(pointer)
    try:
        cls = _class_for(pointer)
    except BaseException:
        _native.release(pointer)
        raise
    return cls(pointer, keep)
