// The host library's C entry points (libkmcdochost.so), for programs that have no document class
// of their own: scripting languages through their foreign-function interfaces, and C hosts.
//
// The model's objects reach their document, lattice and lists through links that only a host
// sets up, so a client cannot assemble a document from objects alone. These functions hold the
// documents kmcdoc holds: they open a processes or configuration document from a file or from
// text, create an empty one, hand out its top-level objects as IDispatch (every other object is
// reached through those, by name), save it, and report what kmcdoc reports about it.
//
// Every function that returns an HRESULT returns S_OK or a failure code. A failure leaves its
// description as the calling thread's error information (GetErrorInfo), exactly as kmcdoc prints
// it, and its outputs null or zero. Text goes in as UTF-8; text comes out as a BSTR that the
// caller frees with SysFreeString, and objects come out with one reference for the caller.
//
// A document is used from one thread at a time. Objects handed out by a document, and every
// object reached through them, link back to it: release them all before closing it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "com/interfaces.h"

extern "C" {

struct kmcdoc_document;

// The kinds of document, told apart in a file by the root element.
enum kmcdoc_kind : int32_t {
    KMCDOC_PROCESSES = 1,     // "ProcessesDocument": lattice, species, processes, interactions
    KMCDOC_CONFIGURATION = 2  // "ConfigurationDocument": lattice, species, configurations, history
};

// An empty document of `kind`: its lattice is not set up yet (kmcdoc_set_lattice), its lists are
// empty, and it is not modified. E_INVALIDARG for another kind.
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_new(int32_t kind, kmcdoc_document** document);

// Reads the document in the file at `path`, of the kind its root element names, as kmcdoc reads
// it: a regular file of at most `maxSize` bytes (0: kmcdoc's default of 512 MiB). When an object
// fails to load, `where` (may be null) receives where reading stood, "file:line: element path",
// which kmcdoc prints before the description; otherwise it is null.
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_open_file(const char* path, uint64_t maxSize,
                                                  kmcdoc_document** document, BSTR* where);

// The same from the `length` bytes at `text` (UTF-8, or UTF-16 with a byte-order mark); `origin`
// names it in descriptions and warnings where a file name would stand.
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_open_text(const char* text, size_t length, const char* origin,
                                                  kmcdoc_document** document, BSTR* where);

// Frees the document; null does nothing.
NOX_EXPORT void kmcdoc_close(kmcdoc_document* document);

[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_kind(kmcdoc_document* document, int32_t* kind);

// The top-level object saved as the element `element`: "Lattice", "SpeciesList", and in a
// processes document "ProcessList" and "InteractionList", in a configuration document
// "ConfigurationHistory" when it has a history. E_INVALIDARG for another name, with a
// description that lists the names the document answers to.
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_object(kmcdoc_document* document, const char* element,
                                               IDispatch** object);

// The configurations of a configuration document (0-based, in document order) and the size of
// the patch they cover in cells. E_INVALIDARG for a processes document or an index out of range.
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_configuration_count(kmcdoc_document* document, LONG* count);
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_configuration(kmcdoc_document* document, LONG index,
                                                      IDispatch** configuration);
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_patch(kmcdoc_document* document, LONG* cellsU, LONG* cellsV);

// Sets up the lattice of a new document as a host does before sites are added: its type
// ("Square", "Hexagonal", ...), plane group ("p 4 m m", ...), cell lengths and angle in degrees.
// Refused with the library's description: a lattice that is set up already (loaded documents
// have theirs), a group that is unknown or does not fit the type, a number that is not finite.
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_set_lattice(kmcdoc_document* document, const char* latticeType,
                                                    const char* symmetryGroup, double lengthU, double lengthV,
                                                    double angleTheta);

// Saves as kmcdoc convert does: the file is replaced safely, and a failed save leaves it as it was.
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_save_file(kmcdoc_document* document, const char* path);
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_save_text(kmcdoc_document* document, BSTR* text);

// Whether the document was changed since it was opened, created or last cleared.
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_modified(kmcdoc_document* document, VARIANT_BOOL* modified);
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_clear_modified(kmcdoc_document* document);

// What opening the document changed without failing, one line each as kmcdoc prints its
// warnings ("file:line: element path: what happened"), in file order.
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_warning_count(kmcdoc_document* document, LONG* count);
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_warning(kmcdoc_document* document, LONG index, BSTR* warning);

// The verdicts of a processes document as `kmcdoc validate --json` writes them (with `all`, as
// with --all): {"verdicts": [{"name", "valid", "message"}], "processes": [...]}. E_INVALIDARG for
// a configuration document.
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_verdicts(kmcdoc_document* document, VARIANT_BOOL all, BSTR* json);

// The name of a result code ("E_UNEXPECTED", "DISP_E_TYPEMISMATCH", ..., or "0x8004ABCD" for a
// code without one) and the platform's standard text for it, for codes that come without a
// description of their own.
[[nodiscard]] NOX_EXPORT HRESULT kmcdoc_describe_result(HRESULT code, BSTR* name, BSTR* text);

}  // extern "C"
