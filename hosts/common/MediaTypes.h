#pragma once
// Which files a host shares, and as what: the MIME type follows the file
// name's extension alone.
#include <string>
#include <string_view>

namespace sharing {

// "video/...", "audio/..." or "image/..." for a file name whose extension
// (case-insensitive) is in one of the three tables; empty otherwise.
std::string MimeTypeFor(std::string_view file_name);

}  // namespace sharing
