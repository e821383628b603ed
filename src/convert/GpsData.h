#pragma once
// Location data in image files: taken out of the unchanged copies of a size
// "original" when the user asks for it.
#include <mutex>
#include <string>

namespace pv {

// Removes every GPS entry (the EXIF GPS directory and the XMP GPS
// properties) from the file in place and leaves everything else, pixels and
// other metadata, as it was. True when the file holds no GPS data afterwards,
// also when it never held any; false when GPS data was found and could not
// be removed.
bool stripGpsData(const std::string& path);

// The metadata library's XMP toolkit starts up and works unsafely on several
// threads at once: every use of it holds this lock.
std::mutex& metadataToolkitLock();

}  // namespace pv
