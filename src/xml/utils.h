// Saving and loading any persistent object through its serializer.
#pragma once

#include "vxostrel/serializer.h"

namespace OstrelUtils {

// Saves `object` through its IVxKMCSerializer. Raised: the interface failure when the object
// has no serializer, E_POINTER for a null object, and the object's own failure unchanged.
NOX_EXPORT void SaveXML(IDispatch* object, IVxOstrelToXML* writer);
// Loads `object` through its IVxKMCSerializer, with the same failures.
NOX_EXPORT void LoadXML(IDispatch* object, IVxXMLToOstrel* reader);

}  // namespace OstrelUtils
