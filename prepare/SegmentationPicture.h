#pragma once

#include <string>
#include <vector>

#include "plot/Canvas.h"
#include "prepare/PrepareSummary.h"
#include "rig/RigRun.h"

namespace grip {

/// The picture of the segmentation in a prepared folder. PNG, as gripplot
/// draws by default: its size does not grow with the samples of the runs
/// (an SVG holds every point of every curve), and any viewer shows it.
inline constexpr const char* kSegmentationPicture = "Prepare.png";

/// Width of the picture and height of the panels of one run [px]: four runs
/// of a minute give some 25 px per second, room for a sweep's name.
inline constexpr int kSegmentationWidth = 1600;
inline constexpr int kSegmentationRunHeight = 620;

/// The gnuplot script of the picture: per run, against time (the sample
/// number where the run has no time channel), its load, slip angle, slip
/// ratio and camber, each sweep (named by its measurement file) and each
/// piece dropped (coloured by why, with a key) marked as a band over the
/// four panels. One "set object" line per piece of summary.pieces.
std::string segmentationScript(const std::vector<RigRun>& runs, const PrepareSummary& summary,
                               const plot::Canvas& canvas);

/// Draws the picture with gnuplot into a temporary file of folder and hands
/// its bytes back (the caller writes them with the other prepared files);
/// "" or why it could not be drawn.
std::string drawSegmentation(const std::vector<RigRun>& runs, const PrepareSummary& summary,
                             const std::string& folder, std::string& picture);

}  // namespace grip
