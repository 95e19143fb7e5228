#pragma once
// Making a GIF file smaller without changing what it shows: sorted colour tables, frames
// reduced to their difference from what lies beneath, transparent borders cropped, and
// extensions nobody needs removed.
#include "gif/gif_file.h"

namespace gif {

enum OptimizeOption {
  optCropFrames = 0x01,
  optMergeFrames = 0x02,
  optCleanup = 0x04,
  optSortColorTables = 0x08,
  optReduceColors = 0x10,
};

// Reports "Optimizing..." through the file's progress handler. Colour reduction only checks
// its method: 9 (a given palette) is "Invalid reduction method"; no reduction is carried out.
void optimizeFile(GifFile& file, int options, int reductionMethod, int ditherMode, int reductionBits);

}  // namespace gif
