// The parameter block as the settings code sees it.
#pragma once

#include "host/parameter_block.h"
