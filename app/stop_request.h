#pragma once

// The stop request lives on the floor now (platform/stop_request.h); this name stays only
// for the desktop programs' windows, which include it until their rewrite lands.
#include "platform/stop_request.h"
