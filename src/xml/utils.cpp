#include "xml/utils.h"

#include "nox/comptr.h"

namespace OstrelUtils {
namespace {

NoxComPtr<IVxKMCSerializer> SerializerOf(IDispatch* object) {
    NoxComPtr<IVxKMCSerializer> serializer;
    if (object != nullptr) {
        HRESULT hr = object->QueryInterface(IID_IVxKMCSerializer, serializer.PutVoid());
        if (FAILED(hr)) {
            NoxResult::SetLastError(NoxResult::StandardDescription(hr));
            throw NoxResult::QueryInterfaceFailure(hr, IID_IVxKMCSerializer);
        }
    }
    CheckNullDereference(serializer.Get());
    return serializer;
}

}  // namespace

void SaveXML(IDispatch* object, IVxOstrelToXML* writer) {
    nox::Check(SerializerOf(object)->SaveToXML(writer));
}

void LoadXML(IDispatch* object, IVxXMLToOstrel* reader) {
    nox::Check(SerializerOf(object)->LoadFromXML(reader));
}

}  // namespace OstrelUtils
