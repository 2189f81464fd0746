#include "platform/MetafileLoader.h"

#include "platform/Failure.h"

namespace velmoa {

// Placeholder until the metafile player lands: every metafile is refused.
Picture loadMetafilePicture(std::string, bool) { throw Failure("メタファイルが不正です"); }

} // namespace velmoa
