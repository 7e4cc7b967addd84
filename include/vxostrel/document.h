// The host document as the library sees it, and the edit bracket every change opens.
#pragma once

#include "nox/result.h"

// Implemented by the host's document class. The library asks whether the document is being
// loaded, whether it may be edited, and tells it that it was changed.
class NOX_EXPORT CKMCDocumentsBase {
public:
    CKMCDocumentsBase() = default;
    CKMCDocumentsBase& operator=(const CKMCDocumentsBase&) = default;

    virtual bool IsLoading() = 0;
    // Reserved for the host; the library never calls it.
    virtual void HostReserved() = 0;
    // A failure result refuses the edit; its code and description reach the caller unchanged.
    virtual NoxResult CanEdit() = 0;
    virtual void SetEditing(bool editing) = 0;
    virtual void SetModified(bool modified) = 0;

protected:
    ~CKMCDocumentsBase() = default;
};

// Scoped edit bracket. With `bracket` set it opens the document's edit bracket (no check) and
// closes it on destruction; otherwise, unless `skipCheck`, it asks CanEdit() and raises a
// refusal. A null document is neither checked nor bracketed.
class NOX_EXPORT CKMCDocumentsEditHelper {
public:
    CKMCDocumentsEditHelper(CKMCDocumentsBase* document, bool bracket, bool skipCheck);
    ~CKMCDocumentsEditHelper();
    // Copying would close the document's bracket twice.
    CKMCDocumentsEditHelper(const CKMCDocumentsEditHelper&) = delete;
    CKMCDocumentsEditHelper& operator=(const CKMCDocumentsEditHelper&) = delete;

private:
    CKMCDocumentsBase* document_;
    bool bracket_;
};
