#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmoa {

// The enhanced metafile that office programs keep inside a Windows metafile's comment
// escapes (the "WMFC" comments), joined from its pieces; nullopt when there is none or its
// pieces do not add up. records: the metafile's records, from the first to the end.
std::optional<std::string> embeddedEnhancedMetafile(std::string_view records);

} // namespace velmoa
