#include "settings/swap_pairs.h"

namespace {
using R = SwapSettingsRecord;
} // namespace

// Each pair: its name for players and in scan's JSON, then its old and its new setting.
const std::array<SwapPair, 4> SwapPairs = {{
    {"shake",
     "shake",
     {kOldShake, "oldShake", &R::oldShake},
     {kNewShake, "newShake", &R::newShake}},
    {"shake-loop",
     "shakeLoop",
     {kOldShakeLoop, "oldShakeLoop", &R::oldShakeLoop},
     {kNewShakeLoop, "newShakeLoop", &R::newShakeLoop}},
    {"depth-of-field", "dof", {kOldDof, "oldDof", &R::oldDof}, {kNewDof, "newDof", &R::newDof}},
    {"camera",
     "camera",
     {kOldCamera, "oldCamera", &R::oldCamera},
     {kNewCamera, "newCamera", &R::newCamera}},
}};
