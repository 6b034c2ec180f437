// Reading a gzip file: one member or several in a row (as `cat a.gz b.gz` makes them), each
// checked against its CRC and length. Anything behind the last member that is not another
// member is a fault.
#pragma once

#include <memory>
#include <string>

#include "platform/input_file.h"

namespace platform {

// The decompressed bytes of the gzip data in `file`. Returns null and stores the cause in *error
// when zlib cannot start.
std::unique_ptr<ByteSource> OpenGzipSource(std::unique_ptr<ByteSource> file, std::string* error);

}  // namespace platform
