#pragma once

// The GPX checks now live in support/GpxConsumers.h, which also reads every
// route back with GPSBabel. VERIFY_GPX_VALID stays as another name for
// VERIFY_GPX_CONSUMERS for code that still includes this header.
#include "support/GpxConsumers.h"

#define VERIFY_GPX_VALID(document) VERIFY_GPX_CONSUMERS(document)
