#pragma once
// Ways around crashes in FreeImage's own readers. FreeImage is given only
// files its readers handle safely: a copy in memory that is either repaired
// or rebuilt from parts checked here.
#include <string>

namespace pv {

// TIFF: two tags of the first directory are hidden from FreeImage. Its
// reader overruns its buffer on the IPTC tag (the caption it holds is
// returned for the caller to attach) and copies the ICC profile after libtiff
// has freed it. False when the file needs no change.
bool hideTiffTags(std::string& file, std::string& caption);

// PSD: a clean file with the merged image as raw channels of 8 bits (16-bit
// and 32-bit float channels reduced, which FreeImage cannot read), only the
// resources whose parsers are known to be safe, and no layer section
// (FreeImage reads the merged image, never the layers). False when the file
// is damaged beyond that: it is then treated as undecodable.
bool rebuildPsd(const std::string& file, std::string& clean);

// JPEG: an EXIF block whose directories or values reach past its end makes
// FreeImage's EXIF reader read out of bounds or crash. Such a block is
// renamed so that FreeImage passes over it; the picture still loads. The
// maker note of a sound block is hidden as well: FreeImage's readers of the
// vendors' maker notes trust the counts and offsets in them (a Canon note
// claiming more than its segment holds is read past its end), and nothing
// here uses them. False when the file needs no change.
bool hideBrokenExif(std::string& jpeg);

}  // namespace pv
