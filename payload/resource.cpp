// The payload resource of the executable, read in place.
#include "payload/payload.h"

#include "support/text.h"

namespace av {

imemstream open_payload()
{
    const resource_data resource = find_resource_data(payload_resource_name, payload_resource_type);
    if (resource.data == nullptr || resource.size == 0)
        return imemstream();
    return imemstream(reinterpret_cast<const char*>(resource.data), resource.size);
}

}  // namespace av
