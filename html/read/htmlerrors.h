#pragma once
#include "platform/errors.h"

namespace html {

// A document the reader cannot go on with ("Open Comment at End of HTML File").
class EParseError : public EMkbError {
public:
    using EMkbError::EMkbError;
};

} // namespace html
