#include "vxostrel/document.h"

CKMCDocumentsEditHelper::CKMCDocumentsEditHelper(CKMCDocumentsBase* document, bool bracket, bool skipCheck)
    : document_(document), bracket_(bracket) {
    if (document_ == nullptr) return;
    if (bracket_) {
        document_->SetEditing(true);
        return;
    }
    if (skipCheck) return;
    NoxResult verdict = document_->CanEdit();
    if (verdict.Code() == S_OK) return;
    NoxResult::SetLastError(verdict);
    if (!verdict.Succeeded()) throw NoxResult::LastErrorCheckNotS_OK();
}

CKMCDocumentsEditHelper::~CKMCDocumentsEditHelper() {
    if (document_ != nullptr && bracket_) document_->SetEditing(false);
}
