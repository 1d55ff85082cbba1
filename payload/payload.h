// The payload of the installer: the archive resource (type 260, name 134)
// read in place, the validation pass that decompresses it and throws the
// output away, and the extraction pass that writes and verifies every file.
#pragma once

#include "payload/archive.h"
#include "payload/membuf.h"
#include "payload/writer.h"

#include <istream>
#include <string>

namespace av {

inline constexpr std::uint16_t payload_resource_type = 260;
inline constexpr std::uint16_t payload_resource_name = 134;

// A read-only stream at position 0 over the payload resource of the
// executable, read in place; empty when the resource is missing or empty.
imemstream open_payload();

// Decompresses the whole stream (its buffer, read directly, in blocks of
// 4096 bytes) and discards the output. True when the bzip2 stream is sound,
// the stream's state is clear and it is at its end; never throws. Leaves the
// stream at its end: the caller rewinds it. An empty stream has nothing to
// decompress and passes; its extraction then fails with `unexpected`.
// `threads`: the decoding threads (0 one per core, 1 the stream filter).
bool validate_payload(std::istream& stream, unsigned threads = 0);

// The extraction pass: delivers `started`, decompresses the stream into a
// payload_writer, and delivers `finished` (true) or one `failed` with the
// error code and the path of the file concerned (false). Never throws for
// payload, file or folder failures; an exception raised by a handler of
// `started`, `finished` or `failed` becomes the failure (or, from `failed`
// itself, propagates). Files, folders, known folders and grants are those of
// `machine`. The notifications all come on the calling thread; `threads`
// decode (0 one per core, 1 the stream filter on this thread).
bool extract_payload(std::istream& stream, const platform::machine& machine, const std::wstring& install_folder,
    const std::wstring& sample_folder, const std::wstring& temporary_folder,
    const notification_callback& on_notification, const extraction_hooks& hooks = {}, unsigned threads = 0);

}  // namespace av
