#include "core/prog_id.h"

namespace zo {

Text BuildHostProgId(TextView versionBoxText) {
    Text progId{kHostProgIdStem};
    // "2020" gives "20", the two digits the host registers its server under.
    if (versionBoxText.size() > 2) progId += versionBoxText.substr(2, 2);
    return progId;
}

}  // namespace zo
