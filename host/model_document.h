// The host's three-dimensional model document: the smallest document that implements the model
// interfaces of vxostrel/model.h, so that the display helpers have a real document to work on
// and kmcdoc render has one place where lattice geometry becomes atoms.
//
// What it holds: a tree of objects below one top object ("Model"). The utility makes objects of
// the classes "Atom3d" and "Group", defines templates by name (a template has a name like an
// element's, a radius and a colour; defining a name again gives it the new values) and finds
// them. Objects are attached below a parent through the children property, once each, and only
// within their own document. Every object has a position, a template, and selection and
// visibility flags (new objects are unselected and visible). The scope manager gives a scope
// holding the top object and applies the filters: DownTreeCoercion (the objects and everything
// below them, each once, in document order), FilterIsSelected, FilterIsVisible and FilterAtom.
// ClearContent removes every atom with what is below it; groups stay. Every change made
// through the document's interfaces (an attach, a clearing that removed something, a position,
// template, selection or visibility set) raises one event while events are on, and the event
// count says how many were raised: a display rebuilt with events off leaves it unchanged.
#pragma once

#include "nox/comptr.h"
#include "vxostrel/model.h"

namespace kmcdoc {

// A new, empty model document with its events on.
NoxComPtr<IModelDocumentRoot> NewModelDocument();

}  // namespace kmcdoc
