// Off Windows no Wine runs the native command.
#include "platform/wine.h"

namespace platform {

bool RunsUnderWine() {
    return false;
}

} // namespace platform
